#pragma once
// The "Engines" page as a model: coverage priorities and the additional coverage
// requirement. The lottery filters' settings join it with the filters themselves.
namespace corvina {

struct TFilterSettings {
    int CovMainPriority = 50;         // frmCovMain, 0..100
    bool FilteredOverOverall = false; // "Filtered over overall coverage"
    bool CovAdd = false;              // "Enable additional coverage"
    int tAdd = 4, mAdd = 5, LBaseAdd = 1;
    int LRateAdd = 100;             // percent
    int CovAdditionalPriority = 50; // frmCovAdditional, 0..100

    // No lottery filter kinds exist yet: none can be on.
    bool AnyFilterOn() const { return false; }
};

} // namespace corvina

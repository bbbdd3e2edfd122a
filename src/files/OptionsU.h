#pragma once
// The program options: installation settings kept in "options.ini" in the program
// folder, read once at start and written back at exit; and the apply step of the
// preferences window as a model the window binds to.
#include <cstdint>
#include <string>
#include <string_view>

namespace corvina {

inline constexpr const char* OptionsFileName = "options.ini";

struct TProgramOptions {
    bool SpeedupMode = false;             // build every speedup table at set-up
    int32_t MaxMotherBlocksFocus = 10000; // largest mother covering with a neighbour table
    bool ImprovementSoundMode = false;
    std::string ImprovementSoundName;
    bool ImprovementAutoSaveMode = false;
    std::string ImprovementAutoSaveDir;
    std::string NumberSeparator = " "; // one character (UTF-8, may be several bytes)
};

// Reads "options.ini" of the program folder. Missing file or keys: the defaults.
// The sound is on only when its file exists, the auto-save only when its folder
// exists; a separator that is a blank, a control character or a digit is dropped,
// and an empty one becomes a space. A file that fails to read (unreadable, or a
// number or flag that is not an integer) is deleted; the values read before the
// failure are kept.
TProgramOptions ReadOptions(const std::string& programFolder);

// Writes every option into "options.ini" of the program folder (keys already in the
// file that are not options stay). Raises ECorvinaError when the file cannot be
// written; the previous file then stays as it was.
void WriteOptions(const std::string& programFolder, const TProgramOptions& options);

// The first character (Unicode code point) of a UTF-8 text, as its bytes; empty when
// the text is empty or does not begin with a well-formed UTF-8 sequence.
std::string FirstCharacter(std::string_view text);

// A separator that would damage the text form of a covering: a control character
// (C0, DEL, C1; line breaks and tabs among them) or a digit, which would merge the
// numbers of a block into one.
bool IsUnusableSeparator(std::string_view character);

// Preferences window texts and the separator drop-down's items, in order.
inline constexpr const char* OptionsCaption = "Preferences";
inline constexpr const char* InvalidSeparatorText = "Invalid numbers separator entered.";
inline constexpr const char* OptionsAppliedText = "Program options applied successfully.";
inline constexpr const char* OptionsChangesLostText =
    "Program options changes will be lost. Do you want to proceed?";
inline constexpr const char* NumberSeparatorItems[] = {" ", "-", "\xE2\x80\x95", ",", "/", " ",
                                                       "*", "|"};

// The contents of the preferences window's controls.
struct TOptionsControls {
    bool SpeedupMode = false;         // chkSpeedupMode
    std::string MaxMotherBlocksFocus; // edtMaxMotherBlocksFocus
    bool PlaySound = false;           // chkPlaySound
    std::string SoundFile;            // SoundFileE
    bool AutoSave = false;            // chkAutoSave
    std::string AutoSaveFolder;       // AutoSaveE
    std::string NumberSeparator;      // NumbersDrawSepE
};

TOptionsControls OptionsToControls(const TProgramOptions& options);

// UpdateB: assigns in this order the speedup flag, the maximum mother blocks (raises
// EConvertError for a text that is not an integer), the sound flag, the sound file,
// the auto-save flag, the auto-save folder and the separator (its first character;
// an empty text, or one whose first character would damage the covering text,
// raises ECorvinaError "Invalid numbers separator entered."). A failure leaves the
// options assigned before it applied and the later ones unchanged.
void ApplyOptionsControls(const TOptionsControls& controls, TProgramOptions& options);

} // namespace corvina

#include "FileAnalyseU.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "FileIOU.h"
#include "core/CoveringBlockU.h"
#include "core/ErrorsU.h"
#include "core/StringU.h"
#include "core/nCkU.h"

namespace corvina {

namespace fs = std::filesystem;

namespace {

constexpr unsigned char CompressedMagic[4] = {0x00, 'C', 'V', 'C'};

int32_t ReadInt32LE(const unsigned char* p) {
    const uint32_t u = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                       (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return static_cast<int32_t>(u);
}

void AppendInt32LE(std::string& out, int32_t value) {
    const uint32_t u = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((u >> shift) & 0xFF);
}

// v and k the ranking tables can handle: every rank of C(v, k) fits 32 bits.
bool UsableParameters(int v, int k) {
    return k >= 1 && k <= MaxBlockSize && v >= k && v <= MaxPoints && Binomial(v, k) > 0;
}

void CheckParameters(int v, int k) {
    if (!UsableParameters(v, k))
        throw ECorvinaError(FormatText("Cannot write a covering with v = %d, k = %d.", v, k));
}

void RankToPoints(int32_t rank, int v, TShortIntArray& points) {
    if (!BlockFromRank(rank, v, points))
        throw ECorvinaError(FormatText("Invalid block rank %d for v = %d, k = %d.", rank, v,
                                       static_cast<int>(points.size())));
}

// The mapping applies only when exactly v numbers are selected; ascending order.
TShortIntArray MappingFor(const TShortIntArray& myNumbers, int v) {
    if (static_cast<int>(myNumbers.size()) != v) return {};
    TShortIntArray sorted = myNumbers;
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

} // namespace

// ---- Reading ----

void TFileAnalyseClass::Reset() {
    Valid = false;
    PointCount = 0;
    BlockSize = 0;
    HighestPoint = 0;
    Lines.Clear();
    UsedPoints.fill(false);
    // A failed analysis leaves no map of an earlier one behind.
    PointMap.fill(0);
    SelectedFlags.fill(0);
    LineBuffer.fill(0);
    ErrorText.clear();
    FailReason.clear();
}

bool TFileAnalyseClass::Analyse(uint8_t source, const std::string& fileName, bool compressed,
                                const std::optional<std::string>& clipboardText) {
    Reset();
    Source = source;
    FileName = fileName;
    Compressed = compressed;
    try {
        bool complete = false;
        if (source == SourceClipboard) {
            if (!clipboardText || clipboardText->empty()) {
                ErrorText = "No data in clipboard.";
                FailReason = ErrorText;
                return false;
            }
            std::istringstream input(*clipboardText);
            complete = ReadText(input);
        } else {
            std::error_code ec;
            if (!fs::exists(fileName, ec) || fs::is_directory(fileName, ec)) {
                ErrorText = FormatText("File %s not found.", fileName.c_str());
                FailReason = ErrorText;
                return false;
            }
            if (compressed) {
                complete = ReadCompressed();
            } else {
                std::ifstream input(fileName, std::ios::binary);
                if (!input.is_open()) {
                    ErrorText = FormatText("Cannot open file \"%s\".", fileName.c_str());
                    FailReason = ErrorText;
                    return false;
                }
                complete = ReadText(input);
                if (complete && input.bad()) {
                    ErrorText = FormatText("Cannot read file \"%s\".", fileName.c_str());
                    FailReason = ErrorText;
                    complete = false;
                }
            }
        }
        if (complete) Finish();
    } catch (const std::exception& e) {
        ErrorText = e.what();
        FailReason = ErrorText;
        Valid = false;
    }
    if (!Valid && FailReason.empty()) FailReason = "The source holds no block.";
    return Valid;
}

bool TFileAnalyseClass::ReadText(std::istream& input) {
    TLineReader reader(input);
    std::string line;
    int64_t number = 0;
    while (reader.Next(line))
        if (!CheckLine(line, ++number)) return false;
    return true;
}

bool TFileAnalyseClass::CheckLine(const std::string& line, int64_t lineNumber) {
    // Numbers of the line: one more than a block can hold tells a line that is too long.
    std::string rest = line;
    int32_t value = 0;
    int count = 0;
    const int capacity = static_cast<int>(LineBuffer.size()) - 1;
    while (NextNumber(rest, value)) {
        if (count == capacity) {
            FailReason = FormatText("Line %lld holds more than %d numbers.",
                                    static_cast<long long>(lineNumber), capacity);
            return false;
        }
        LineBuffer[++count] = value;
    }
    LineBuffer[0] = count;
    if (count == 0) return true;
    if (BlockSize == 0)
        BlockSize = count;
    else if (count != BlockSize) {
        FailReason = FormatText("Line %lld holds %d numbers, the first block %d.",
                                static_cast<long long>(lineNumber), count, BlockSize);
        return false;
    }
    std::sort(LineBuffer.begin() + 1, LineBuffer.begin() + 1 + count);
    for (int i = 1; i <= count; ++i) {
        const int32_t n = LineBuffer[i];
        if (n < 1 || n > MaxPoints) {
            FailReason = FormatText("Line %lld holds the number %d, outside 1..%d.",
                                    static_cast<long long>(lineNumber), n, MaxPoints);
            return false;
        }
        if (i < count && n == LineBuffer[i + 1]) {
            FailReason = FormatText("Line %lld holds the number %d twice.",
                                    static_cast<long long>(lineNumber), n);
            return false;
        }
    }
    for (int i = 1; i <= count; ++i) UsedPoints[LineBuffer[i]] = true;
    Lines.AddString(line);
    return true;
}

bool TFileAnalyseClass::ReadCompressed() {
    std::error_code ec;
    const uintmax_t size = fs::file_size(FileName, ec);
    std::ifstream input(FileName, std::ios::binary);
    if (ec || !input.is_open()) {
        ErrorText = FormatText("Cannot open file \"%s\".", FileName.c_str());
        FailReason = ErrorText;
        return false;
    }
    const auto fail = [&](const std::string& text) {
        ErrorText = text;
        FailReason = text;
        return false;
    };
    const std::string truncated =
        FormatText("The compressed covering file %s is truncated.", FileName.c_str());
    unsigned char header[CompressedHeaderSize];
    if (size < 4 || !input.read(reinterpret_cast<char*>(header), 4)) return fail(truncated);
    if (!std::equal(header, header + 4, CompressedMagic)) {
        // Not one of ours: no message, as for any source without blocks.
        FailReason =
            FormatText("File %s is not a Corvina compressed covering file.", FileName.c_str());
        return false;
    }
    if (size < CompressedHeaderSize ||
        !input.read(reinterpret_cast<char*>(header + 4), CompressedHeaderSize - 4))
        return fail(truncated);
    const int32_t v = ReadInt32LE(header + 4);
    const int32_t k = ReadInt32LE(header + 8);
    const int32_t count = ReadInt32LE(header + 12);
    if (!UsableParameters(v, k))
        return fail(FormatText("The compressed covering file %s has invalid parameters v = %d, "
                               "k = %d.",
                               FileName.c_str(), v, k));
    if ((size - CompressedHeaderSize) % 4 != 0) return fail(truncated);
    const uintmax_t records = (size - CompressedHeaderSize) / 4;
    if (count < 0 || records != static_cast<uintmax_t>(count))
        return fail(FormatText("The compressed covering file %s holds %llu blocks, its header "
                               "gives %d.",
                               FileName.c_str(), static_cast<unsigned long long>(records), count));

    // Every rank is checked before any block is decoded.
    std::vector<int32_t> ranks(static_cast<size_t>(count));
    const int32_t possible = Binomial(v, k);
    std::vector<unsigned char> chunk(64 * 1024);
    size_t done = 0;
    while (done < ranks.size()) {
        const size_t n = std::min(ranks.size() - done, chunk.size() / 4);
        if (!input.read(reinterpret_cast<char*>(chunk.data()), static_cast<std::streamsize>(n * 4)))
            return fail(truncated);
        for (size_t i = 0; i < n; ++i) {
            const int32_t rank = ReadInt32LE(&chunk[i * 4]);
            if (rank < 0 || rank >= possible)
                return fail(FormatText("The compressed covering file %s holds the invalid rank "
                                       "%d in block %llu (v = %d, k = %d).",
                                       FileName.c_str(), rank,
                                       static_cast<unsigned long long>(done + i + 1), v, k));
            ranks[done + i] = rank;
        }
        done += n;
    }
    for (size_t i = 0; i < ranks.size(); ++i)
        if (!CheckLine(RankToText(ranks[i], v, k, " "), static_cast<int64_t>(i) + 1)) return false;
    return true;
}

void TFileAnalyseClass::Finish() {
    for (int p = 0; p < static_cast<int>(UsedPoints.size()); ++p) {
        if (UsedPoints[p]) {
            ++PointCount;
            PointMap[p] = static_cast<int8_t>(PointCount);
            HighestPoint = p;
            if (p >= 1) SelectedFlags[p - 1] = 1;
        } else {
            PointMap[p] = 0;
            if (p >= 1) SelectedFlags[p - 1] = 0;
        }
    }
    Valid = PointCount >= 1 && BlockSize >= 1 && HighestPoint >= 1 && LineCount() >= 1;
}

std::string TFileAnalyseClass::GetLine(int i) const {
    std::string line;
    Lines.GetString(i, line);
    return line;
}

bool TFileAnalyseClass::GetMappedBlock(int i, TShortIntArray& points) const {
    std::string rest;
    if (!Valid || !Lines.GetString(i, rest)) return false;
    TShortIntArray block;
    int32_t value = 0;
    while (static_cast<int>(block.size()) < BlockSize && NextNumber(rest, value)) {
        if (value < 1 || value > MaxPoints || PointMap[value] == 0) return false;
        block.push_back(PointMap[value]);
    }
    if (static_cast<int>(block.size()) != BlockSize) return false;
    std::sort(block.begin(), block.end());
    points = std::move(block);
    return true;
}

// ---- Writing ----

std::string CoveringLine(std::span<const int8_t> points, const std::string& separator,
                         std::span<const int8_t> mapping) {
    if (mapping.empty()) return BlockToText(points, separator);
    TShortIntArray mapped(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        const int p = points[i];
        if (p < 1 || p > static_cast<int>(mapping.size()))
            throw ECorvinaError(FormatText("Point %d has no selected number.", p));
        mapped[i] = mapping[static_cast<size_t>(p) - 1];
    }
    return BlockToText(mapped, separator);
}

std::string CoveringText(std::span<const int32_t> ranks, int v, int k, const std::string& separator,
                         const TShortIntArray& myNumbers) {
    CheckParameters(v, k);
    const TShortIntArray mapping = MappingFor(myNumbers, v);
    TShortIntArray points(static_cast<size_t>(k));
    std::string text;
    for (const int32_t rank : ranks) {
        RankToPoints(rank, v, points);
        text += CoveringLine(points, separator, mapping);
        text += "\r\n";
    }
    return text;
}

std::string CompressedCovering(std::span<const int32_t> ranks, int v, int k) {
    CheckParameters(v, k);
    if (ranks.size() > static_cast<size_t>(MaxInt32))
        throw ECorvinaError("Too many blocks for a compressed covering file.");
    const int32_t possible = Binomial(v, k);
    std::string out(reinterpret_cast<const char*>(CompressedMagic), 4);
    AppendInt32LE(out, v);
    AppendInt32LE(out, k);
    AppendInt32LE(out, static_cast<int32_t>(ranks.size()));
    for (const int32_t rank : ranks) {
        if (rank < 0 || rank >= possible)
            throw ECorvinaError(
                FormatText("Invalid block rank %d for v = %d, k = %d.", rank, v, k));
        AppendInt32LE(out, rank);
    }
    return out;
}

TCoveringFileWriter::TCoveringFileWriter(const std::string& fileName, bool compressed, int v, int k,
                                         int32_t blockCount, const std::string& separator,
                                         const TShortIntArray& myNumbers)
    : Compressed(compressed), V(v), K(k), Expected(blockCount), Separator(separator) {
    CheckParameters(v, k);
    if (blockCount < 0) throw ECorvinaError(FormatText("Invalid block count %d.", blockCount));
    Possible = Binomial(v, k);
    Mapping = MappingFor(myNumbers, v);
    Points.assign(static_cast<size_t>(k), 0);
    Out = std::make_unique<TAtomicFileWriter>(fileName);
    if (Compressed) {
        Buffer.assign(reinterpret_cast<const char*>(CompressedMagic), 4);
        AppendInt32LE(Buffer, v);
        AppendInt32LE(Buffer, k);
        AppendInt32LE(Buffer, blockCount);
    }
}

TCoveringFileWriter::~TCoveringFileWriter() = default;

void TCoveringFileWriter::Flush() {
    Out->Write(Buffer);
    Buffer.clear();
}

void TCoveringFileWriter::WriteRank(int32_t rank) {
    if (Compressed && Written >= Expected)
        throw ECorvinaError("More blocks written than the compressed file's header gives.");
    if (rank < 0 || rank >= Possible)
        throw ECorvinaError(FormatText("Invalid block rank %d for v = %d, k = %d.", rank, V, K));
    if (Compressed) {
        AppendInt32LE(Buffer, rank);
    } else {
        RankToPoints(rank, V, Points);
        Buffer += CoveringLine(Points, Separator, Mapping);
        Buffer += "\r\n";
    }
    ++Written;
    if (Buffer.size() >= 64 * 1024) Flush();
}

void TCoveringFileWriter::Commit() {
    if (Compressed && Written != Expected)
        throw ECorvinaError(
            FormatText("%lld blocks written, the compressed file's header gives %d.",
                       static_cast<long long>(Written), Expected));
    Flush();
    Out->Commit();
}

void SaveCoveringText(const std::string& fileName, std::span<const int32_t> ranks, int v, int k,
                      const std::string& separator, const TShortIntArray& myNumbers) {
    WriteFileAtomically(fileName, CoveringText(ranks, v, k, separator, myNumbers));
}

void SaveCompressedCovering(const std::string& fileName, std::span<const int32_t> ranks, int v,
                            int k) {
    WriteFileAtomically(fileName, CompressedCovering(ranks, v, k));
}

} // namespace corvina

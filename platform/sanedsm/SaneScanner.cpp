#include "SaneScanner.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <sane/sane.h>
#include <sane/saneopts.h>

namespace {

// Sample index of a line as SANE delivers it, as an 8-bit value (white
// 255): 16-bit samples keep their high byte, line art becomes black or white.
std::uint8_t Sample(const std::vector<SANE_Byte>& line, int index, int depth)
{
    if (depth == 16)
        return line[static_cast<std::size_t>(index) * 2 + 1]; // little-endian high byte
    if (depth == 1)                                           // SANE's line art: a set bit is black
        return (line[static_cast<std::size_t>(index) / 8] >> (7 - index % 8) & 1) ? 0 : 255;
    return line[static_cast<std::size_t>(index)];
}

bool ReadLine(SANE_Handle handle, std::vector<SANE_Byte>& line, SANE_Status& status)
{
    std::size_t filled = 0;
    while (filled < line.size()) {
        SANE_Int got = 0;
        status = sane_read(handle, line.data() + filled, static_cast<SANE_Int>(line.size() - filled), &got);
        if (status != SANE_STATUS_GOOD)
            return false;
        filled += static_cast<std::size_t>(got);
    }
    return true;
}

int WordValue(SANE_Word word, SANE_Value_Type type)
{
    return type == SANE_TYPE_FIXED ? static_cast<int>(SANE_UNFIX(word)) : word;
}

// Wider than any scanner's line at its highest resolution.
constexpr SANE_Int MaxPixelsPerLine = 1 << 16;

// A frame this scanner code reads, whose lines hold every sample the
// parameters promise, so reading a line never runs past its end.
bool Supported(const SANE_Parameters& parameters)
{
    if (parameters.format != SANE_FRAME_GRAY && parameters.format != SANE_FRAME_RGB)
        return false;
    if (parameters.depth != 1 && parameters.depth != 8 && parameters.depth != 16)
        return false;
    if (parameters.pixels_per_line <= 0 || parameters.pixels_per_line > MaxPixelsPerLine)
        return false;
    const std::int64_t channels = parameters.format == SANE_FRAME_RGB ? 3 : 1;
    const std::int64_t lineBits = std::int64_t(parameters.pixels_per_line) * channels * parameters.depth;
    return parameters.bytes_per_line >= (lineBits + 7) / 8;
}

} // namespace

std::unique_ptr<SaneScanner> SaneScanner::Open(const std::string& deviceName)
{
    SANE_Handle handle = nullptr;
    if (sane_open(deviceName.c_str(), &handle) != SANE_STATUS_GOOD)
        return nullptr;
    return std::unique_ptr<SaneScanner>(new SaneScanner(handle));
}

SaneScanner::~SaneScanner() { sane_close(handle_); }

int SaneScanner::OptionNamed(const char* name) const
{
    for (SANE_Int option = 1;; ++option) {
        const SANE_Option_Descriptor* descriptor = sane_get_option_descriptor(handle_, option);
        if (!descriptor)
            return -1;
        if (descriptor->name && std::strcmp(descriptor->name, name) == 0 && SANE_OPTION_IS_ACTIVE(descriptor->cap))
            return option;
    }
}

ScanSettings SaneScanner::Settings() const
{
    ScanSettings settings;
    if (const int mode = OptionNamed(SANE_NAME_SCAN_MODE); mode > 0) {
        const SANE_Option_Descriptor* descriptor = sane_get_option_descriptor(handle_, mode);
        std::vector<char> value(static_cast<std::size_t>(descriptor->size) + 1);
        sane_control_option(handle_, mode, SANE_ACTION_GET_VALUE, value.data(), nullptr);
        settings.mode = value.data();
        if (descriptor->constraint_type == SANE_CONSTRAINT_STRING_LIST)
            for (const SANE_String_Const* item = descriptor->constraint.string_list; *item; ++item)
                settings.modes.emplace_back(*item);
    }
    if (const int resolution = OptionNamed(SANE_NAME_SCAN_RESOLUTION); resolution > 0) {
        const SANE_Option_Descriptor* descriptor = sane_get_option_descriptor(handle_, resolution);
        SANE_Word value = 0;
        sane_control_option(handle_, resolution, SANE_ACTION_GET_VALUE, &value, nullptr);
        settings.resolution = WordValue(value, descriptor->type);
        settings.minResolution = settings.maxResolution = settings.resolution;
        if (descriptor->constraint_type == SANE_CONSTRAINT_RANGE) {
            settings.minResolution = WordValue(descriptor->constraint.range->min, descriptor->type);
            settings.maxResolution = WordValue(descriptor->constraint.range->max, descriptor->type);
        } else if (descriptor->constraint_type == SANE_CONSTRAINT_WORD_LIST &&
                   descriptor->constraint.word_list[0] > 0) {
            const SANE_Word* list = descriptor->constraint.word_list;
            settings.minResolution = WordValue(list[1], descriptor->type);
            settings.maxResolution = WordValue(list[list[0]], descriptor->type);
        }
    }
    return settings;
}

void SaneScanner::Apply(const ScanSettings& settings)
{
    if (const int mode = OptionNamed(SANE_NAME_SCAN_MODE); mode > 0 && !settings.mode.empty()) {
        // A backend may read the option's whole size, so the text sits in a
        // buffer of that size.
        const SANE_Option_Descriptor* descriptor = sane_get_option_descriptor(handle_, mode);
        std::vector<char> value(
            std::max<std::size_t>(static_cast<std::size_t>(descriptor->size), settings.mode.size() + 1));
        std::memcpy(value.data(), settings.mode.c_str(), settings.mode.size() + 1);
        sane_control_option(handle_, mode, SANE_ACTION_SET_VALUE, value.data(), nullptr);
    }
    if (const int resolution = OptionNamed(SANE_NAME_SCAN_RESOLUTION); resolution > 0 && settings.resolution > 0) {
        const SANE_Option_Descriptor* descriptor = sane_get_option_descriptor(handle_, resolution);
        SANE_Word value = descriptor->type == SANE_TYPE_FIXED ? SANE_FIX(settings.resolution) : settings.resolution;
        sane_control_option(handle_, resolution, SANE_ACTION_SET_VALUE, &value, nullptr);
    }
}

// One single-pass frame of grey or RGB samples, 1, 8 or 16 bits deep, read
// line by line until the device says it is done, so a scanner that does
// not know its height in advance works too.
ScanOutcome SaneScanner::Scan(ScannedImage& image)
{
    SANE_Status status = sane_start(handle_);
    SANE_Parameters parameters{};
    if (status == SANE_STATUS_GOOD)
        status = sane_get_parameters(handle_, &parameters);
    if (status != SANE_STATUS_GOOD || !Supported(parameters)) {
        sane_cancel(handle_);
        return status == SANE_STATUS_CANCELLED ? ScanOutcome::Cancelled : ScanOutcome::Failed;
    }
    image = ScannedImage{parameters.pixels_per_line, 0, parameters.format == SANE_FRAME_RGB, {}};
    const int samples = image.width * (image.colour ? 3 : 1);
    std::vector<SANE_Byte> line(static_cast<std::size_t>(parameters.bytes_per_line));
    while (ReadLine(handle_, line, status)) {
        for (int i = 0; i < samples; ++i)
            image.rows.push_back(Sample(line, i, parameters.depth));
        ++image.height;
    }
    sane_cancel(handle_);
    if (status == SANE_STATUS_CANCELLED)
        return ScanOutcome::Cancelled;
    return status == SANE_STATUS_EOF && image.height > 0 ? ScanOutcome::Done : ScanOutcome::Failed;
}

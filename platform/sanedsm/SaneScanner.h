// SaneScanner: one open SANE device, its two settings the user may change
// (resolution, colour mode) and a scan into 8-bit grey or RGB rows. The
// device is closed when the object goes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct ScanSettings {
    int resolution = 0;             // dots per inch
    std::string mode;               // one of modes, e.g. "Color", "Gray"
    std::vector<std::string> modes; // what the device offers
    int minResolution = 0;
    int maxResolution = 0;
};

struct ScannedImage {
    int width = 0;
    int height = 0;
    bool colour = false;
    std::vector<std::uint8_t> rows; // top row first, 1 or 3 bytes a pixel, no padding
};

enum class ScanOutcome { Done, Cancelled, Failed };

class SaneScanner {
public:
    // Null when the device cannot be opened.
    static std::unique_ptr<SaneScanner> Open(const std::string& deviceName);
    ~SaneScanner();
    SaneScanner(const SaneScanner&) = delete;
    SaneScanner& operator=(const SaneScanner&) = delete;

    ScanSettings Settings() const;
    // Settings the device does not have are left as they are.
    void Apply(const ScanSettings& settings);
    ScanOutcome Scan(ScannedImage& image);

private:
    explicit SaneScanner(void* handle) : handle_(handle) {}
    int OptionNamed(const char* name) const;

    void* handle_;
};

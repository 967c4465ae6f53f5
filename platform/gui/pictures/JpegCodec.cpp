// Each libjpeg call sequence runs in a function of plain C style that sets a
// jump point first: libjpeg's error_exit jumps back there, and the function
// returns false. Those functions hold no C++ objects, so the jump skips no
// destructor; the C++ callers own every buffer and raise EJPEG with libjpeg's
// message.
#include "pictures/JpegCodec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

#include "pictures/Jpeg.h"

namespace {

// Larger decoded images are refused rather than attempted.
constexpr std::int64_t kMaxDecodedPixels = std::int64_t(1) << 28;
// libjpeg's own working memory (coefficient buffers of progressive files).
constexpr long kMaxLibjpegMemory = 1L << 30;

struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ExitToTrap(j_common_ptr info)
{
    auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
    info->err->format_message(info, trap->message);
    std::longjmp(trap->jump, 1);
}

// Warnings go unreported, except the data ending early: a truncated picture
// is damaged, not a grey-filled success. (The decoder reads ahead, so a file
// that lacks only its end marker counts as truncated too.)
void OnMessage(j_common_ptr info, int level)
{
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        ExitToTrap(info);
}

void InstallTrap(ErrorTrap& trap)
{
    jpeg_std_error(&trap.manager);
    trap.manager.error_exit = ExitToTrap;
    trap.manager.emit_message = OnMessage;
    trap.message[0] = '\0';
}

[[noreturn]] void RaiseJpegError(const char* message)
{
    throw EJPEG(std::string("JPEG error: ") + message);
}

class Decompressor {
public:
    explicit Decompressor(const std::vector<std::uint8_t>& data) : data_(data)
    {
        InstallTrap(trap_);
        info_.err = &trap_.manager;
    }
    ~Decompressor() { jpeg_destroy_decompress(&info_); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    jpeg_decompress_struct& Info() { return info_; }
    const char* Message() const { return trap_.message; }

    bool Create();
    bool ReadHeader();
    bool Start(int scaleNumerator, J_COLOR_SPACE outSpace);
    bool ReadRows(std::uint8_t* first, std::size_t stride);

private:
    const std::vector<std::uint8_t>& data_;
    ErrorTrap trap_;
    jpeg_decompress_struct info_{};
};

bool Decompressor::Create()
{
    if (setjmp(trap_.jump))
        return false;
    jpeg_create_decompress(&info_);
    info_.mem->max_memory_to_use = kMaxLibjpegMemory;
    jpeg_mem_src(&info_, data_.data(), static_cast<unsigned long>(data_.size()));
    return true;
}

bool Decompressor::ReadHeader()
{
    if (setjmp(trap_.jump))
        return false;
    jpeg_read_header(&info_, TRUE);
    return true;
}

bool Decompressor::Start(int scaleNumerator, J_COLOR_SPACE outSpace)
{
    if (setjmp(trap_.jump))
        return false;
    info_.scale_num = static_cast<unsigned>(scaleNumerator);
    info_.scale_denom = 8;
    info_.out_color_space = outSpace;
    jpeg_start_decompress(&info_);
    return true;
}

bool Decompressor::ReadRows(std::uint8_t* first, std::size_t stride)
{
    if (setjmp(trap_.jump))
        return false;
    while (info_.output_scanline < info_.output_height) {
        JSAMPROW row = first + stride * info_.output_scanline;
        jpeg_read_scanlines(&info_, &row, 1);
    }
    jpeg_finish_decompress(&info_);
    return true;
}

bool IsCmyk(const jpeg_decompress_struct& info)
{
    return info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
}

// CMYK rows (Adobe files store them inverted) to RGB, in place.
void CmykToRgb(QImage& image, bool inverted)
{
    for (int y = 0; y < image.height(); ++y) {
        std::uint8_t* p = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x, p += 4) {
            int c = p[0], m = p[1], ye = p[2], k = p[3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                ye = 255 - ye;
                k = 255 - k;
            }
            p[0] = static_cast<std::uint8_t>(c * k / 255);
            p[1] = static_cast<std::uint8_t>(m * k / 255);
            p[2] = static_cast<std::uint8_t>(ye * k / 255);
            p[3] = 255;
        }
    }
}

class Compressor {
public:
    Compressor()
    {
        InstallTrap(trap_);
        info_.err = &trap_.manager;
    }
    ~Compressor()
    {
        jpeg_destroy_compress(&info_);
        std::free(buffer_);
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;

    const char* Message() const { return trap_.message; }
    bool Encode(const QImage& rgb, int quality);
    std::vector<std::uint8_t> Output() const { return {buffer_, buffer_ + size_}; }

private:
    ErrorTrap trap_;
    jpeg_compress_struct info_{};
    unsigned char* buffer_ = nullptr;
    unsigned long size_ = 0;
};

bool Compressor::Encode(const QImage& rgb, int quality)
{
    if (setjmp(trap_.jump))
        return false;
    jpeg_create_compress(&info_);
    jpeg_mem_dest(&info_, &buffer_, &size_);
    info_.image_width = static_cast<JDIMENSION>(rgb.width());
    info_.image_height = static_cast<JDIMENSION>(rgb.height());
    info_.input_components = 3;
    info_.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info_);
    jpeg_set_quality(&info_, quality, TRUE);
    jpeg_start_compress(&info_, TRUE);
    while (info_.next_scanline < info_.image_height) {
        JSAMPROW row = const_cast<std::uint8_t*>(rgb.constScanLine(static_cast<int>(info_.next_scanline)));
        jpeg_write_scanlines(&info_, &row, 1);
    }
    jpeg_finish_compress(&info_);
    return true;
}

}  // namespace

QSize ReadJpegSize(const std::vector<std::uint8_t>& data)
{
    Decompressor decoder(data);
    if (!decoder.Create() || !decoder.ReadHeader())
        RaiseJpegError(decoder.Message());
    return QSize(static_cast<int>(decoder.Info().image_width), static_cast<int>(decoder.Info().image_height));
}

QImage DecodeJpeg(const std::vector<std::uint8_t>& data, int scaleNumerator)
{
    Decompressor decoder(data);
    if (!decoder.Create() || !decoder.ReadHeader())
        RaiseJpegError(decoder.Message());
    const bool cmyk = IsCmyk(decoder.Info());
    if (!decoder.Start(scaleNumerator, cmyk ? JCS_CMYK : JCS_RGB))
        RaiseJpegError(decoder.Message());
    const auto& info = decoder.Info();
    if (std::int64_t(info.output_width) * info.output_height > kMaxDecodedPixels)
        RaiseJpegError("Picture too large to decode");
    QImage image(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                 cmyk ? QImage::Format_RGBX8888 : QImage::Format_RGB888);
    if (image.isNull())
        RaiseJpegError("Not enough memory to decode the picture");
    if (!decoder.ReadRows(image.bits(), static_cast<std::size_t>(image.bytesPerLine())))
        RaiseJpegError(decoder.Message());
    if (cmyk)
        CmykToRgb(image, info.saw_Adobe_marker);
    return image;
}

std::vector<std::uint8_t> EncodeJpeg(const QImage& image, int quality)
{
    if (image.isNull())
        RaiseJpegError("Empty picture");
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    Compressor encoder;
    if (!encoder.Encode(rgb, quality))
        RaiseJpegError(encoder.Message());
    return encoder.Output();
}

QSize JpegScaledSize(QSize source, int scaleNumerator)
{
    const auto scaled = [scaleNumerator](int length) {
        return static_cast<int>((std::int64_t(length) * scaleNumerator + 7) / 8);
    };
    return QSize(scaled(source.width()), scaled(source.height()));
}

int JpegScaleNumerator(QSize source, QSize target)
{
    for (int n = 1; n < 8; ++n) {
        const QSize scaled = JpegScaledSize(source, n);
        if (scaled.width() >= target.width() && scaled.height() >= target.height())
            return n;
    }
    return 8;
}

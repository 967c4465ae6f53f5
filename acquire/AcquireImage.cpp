#include "AcquireImage.h"

#include <algorithm>

namespace {

std::string IdentityText(const std::string& text)
{
    return text.substr(0, std::min(text.find('\0'), TAcquireImage::IdentityTextLength));
}

} // namespace

void TAcquireImage::SetAppInfo(const std::string& text) { appInfo_ = IdentityText(text); }
void TAcquireImage::SetAppManufacturer(const std::string& text) { appManufacturer_ = IdentityText(text); }
void TAcquireImage::SetAppProductFamily(const std::string& text) { appProductFamily_ = IdentityText(text); }
void TAcquireImage::SetAppProductName(const std::string& text) { appProductName_ = IdentityText(text); }

// No source manager is loaded yet: every acquisition stops at its first
// step with the failure codes the compiler expects from a machine without
// TWAIN.
bool TAcquireImage::LoadSourceManager() { return false; }
int TAcquireImage::OpenSourceManager() { return 1; }
void TAcquireImage::GetSourceName(bool, std::string& Name) { Name.clear(); }
int TAcquireImage::SelectSource(const std::string&) { return 1; }
int TAcquireImage::OpenSource() { return 1; }
int TAcquireImage::AcquireJPEG(std::unique_ptr<TJPEGImage>&, int) { return 1; }
int TAcquireImage::CloseSourceManager() { return 1; }
bool TAcquireImage::UnloadSourceManager() { return true; }

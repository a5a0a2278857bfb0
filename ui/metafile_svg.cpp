#include "ui/metafile_svg.h"

#include <cstdlib>
#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/svg.h>
#include <vector>

namespace tarnel::ui {
namespace {

constexpr double kDotsPerInch = 96.0;

QByteArray windowsMetafileSvg(const std::string& bytes) {
    wmfAPI_Options options{};
    options.function = wmf_svg_function;
    unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    wmfAPI* api = nullptr;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
        if (api) {
            wmf_api_destroy(api);
        }
        return {};
    }
    // The player reads from the buffer it is given and never writes to it.
    std::vector<unsigned char> input(bytes.begin(), bytes.end());
    QByteArray svg;
    wmfD_Rect bounds{};
    if (wmf_mem_open(api, input.data(), static_cast<long>(input.size())) == wmf_E_None &&
        wmf_scan(api, 0, &bounds) == wmf_E_None) {
        wmf_svg_t* device = WMF_SVG_GetData(api);
        device->out = wmf_stream_create(api, nullptr);
        device->bbox = bounds;
        unsigned int width = 0;
        unsigned int height = 0;
        wmf_display_size(api, &width, &height, kDotsPerInch, kDotsPerInch);
        device->width = width;
        device->height = height;
        bool played = wmf_play(api, 0, &bounds) == wmf_E_None;
        // The stream's memory belongs to the player, which frees it when it goes.
        char* out = nullptr;
        unsigned long length = 0;
        wmf_stream_destroy(api, device->out, &out, &length);
        if (played && out) {
            svg = QByteArray(out, static_cast<qsizetype>(length));
        }
    }
    wmf_api_destroy(api);
    return svg;
}

QByteArray enhancedMetafileSvg(const richtext::Picture& picture) {
    std::vector<char> input(picture.data.begin(), picture.data.end());
    generatorOptions options{};
    char svgNamespace[] = "";
    options.nameSpace = svgNamespace;
    options.svgDelimiter = true;
    options.emfplus = true;
    options.imgWidth = picture.width > 0 ? picture.width * kDotsPerInch / 2540.0 : 0;
    options.imgHeight = picture.height > 0 ? picture.height * kDotsPerInch / 2540.0 : 0;
    char* out = nullptr;
    size_t length = 0;
    int ok = emf2svg(input.data(), input.size(), &out, &length, &options);
    QByteArray svg = ok && out ? QByteArray(out, static_cast<qsizetype>(length)) : QByteArray();
    std::free(out);
    return svg;
}

} // namespace

QByteArray metafileSvg(const richtext::Picture& picture) {
    if (picture.data.empty()) {
        return {};
    }
    switch (picture.format) {
    case richtext::PictureFormat::Wmf:
        return windowsMetafileSvg(picture.data);
    case richtext::PictureFormat::Emf:
        return enhancedMetafileSvg(picture);
    default:
        return {};
    }
}

} // namespace tarnel::ui

#include "tools/skin_generator/picture_plan.h"

#include "ui/skin/skin_keys.h"

#include <algorithm>
#include <map>

namespace tarnel::skingen {
namespace {

using namespace std::string_view_literals;
namespace skin = tarnel::ui::skin;

constexpr QSize kToolSize(16, 16);
constexpr QSize kCaptionButtonSize(24, 20);
constexpr QSize kTreeButtonSize(9, 9);
constexpr QSize kCheckBoxSize(13, 13);
constexpr QSize kBigTipSize(32, 32);
constexpr QSize kPaneTabSize(16, 24);

constexpr std::string_view kDisabledSuffix = "_DIS";
constexpr std::string_view kFocusSuffix = "_FOCUS";

QSize sizeOf(std::string_view key) {
    static const std::map<std::string_view, QSize> sizes{
        {"IMG_MIN"sv, kCaptionButtonSize},       {"IMG_MIN_FOCUS"sv, kCaptionButtonSize},
        {"IMG_MAX"sv, kCaptionButtonSize},       {"IMG_MAX_FOCUS"sv, kCaptionButtonSize},
        {"IMG_CLOSE"sv, kCaptionButtonSize},     {"IMG_CLOSE_FOCUS"sv, kCaptionButtonSize},
        {"IMG_EXPAND"sv, kTreeButtonSize},       {"IMG_COLLAPSE"sv, kTreeButtonSize},
        {"IMG_CHECK_SELECT"sv, kCheckBoxSize},   {"IMG_CHECK_UNSELECT"sv, kCheckBoxSize},
        {"IMG_BIG_WARNING_TIP"sv, kBigTipSize},  {"IMG_READ_PANE_NOMAL"sv, kPaneTabSize},
        {"IMG_READ_PANE_FOCUS"sv, kPaneTabSize}, {"IMG_READ_PANE_SELECT"sv, kPaneTabSize},
    };
    auto found = sizes.find(key);
    return found == sizes.end() ? kToolSize : found->second;
}

std::string_view withoutSuffix(std::string_view key, std::string_view suffix) {
    return key.ends_with(suffix) ? key.substr(0, key.size() - suffix.size()) : std::string_view{};
}

// The drawing a key is rendered from: its alias's, else its own.
std::string drawingOf(std::string_view key) {
    const std::vector<Alias>& aliases = declaredAliases();
    auto alias = std::find_if(aliases.begin(), aliases.end(),
                              [&](const Alias& entry) { return entry.key == key; });
    return drawingFileOf(alias == aliases.end() ? key : alias->drawnAs);
}

PicturePlan planOf(std::string_view key) {
    PicturePlan plan{std::string(key), PictureKind::kDrawing, {}, sizeOf(key)};
    if (key == "IMG_READ_PANE_NOMAL") {
        plan.kind = PictureKind::kPaneNormal;
    } else if (key == "IMG_READ_PANE_FOCUS") {
        plan.kind = PictureKind::kPaneFocus;
    } else if (key == "IMG_READ_PANE_SELECT") {
        plan.kind = PictureKind::kPaneSelect;
    } else if (std::string_view base = withoutSuffix(key, kDisabledSuffix); !base.empty()) {
        plan.kind = PictureKind::kDisabled;
        plan.drawing = drawingOf(base);
    } else if (std::string_view focused = withoutSuffix(key, kFocusSuffix); !focused.empty()) {
        plan.kind = focused == "IMG_CLOSE" ? PictureKind::kFocusedAlert : PictureKind::kFocused;
        plan.drawing = drawingOf(focused);
    } else {
        plan.drawing = drawingOf(key);
    }
    return plan;
}

} // namespace

const std::vector<Alias>& declaredAliases() {
    // The tree's folder and point pictures are the main image list's icons of the same things;
    // the older tag tree's open tag is the tag pane's.
    static const std::vector<Alias> aliases{
        {"IMG_FOLDER_OPEN", "ICON_FOLDER_OPEN"},
        {"IMG_FOLDER_CLOSE", "ICON_FOLDER_CLOSE"},
        {"IMG_POINT", "ICON_POINT"},
        {"IMG_OLD_TAG_OPEN", "ICON_TAG_OPEN"},
    };
    return aliases;
}

std::vector<PicturePlan> picturePlans() {
    std::vector<PicturePlan> plans;
    for (std::string_view key : skin::kIconKeys) {
        plans.push_back(planOf(key));
    }
    for (std::string_view key : skin::kBitmapKeys) {
        plans.push_back(planOf(key));
    }
    return plans;
}

std::string drawingFileOf(std::string_view key) {
    std::string file(key);
    std::transform(file.begin(), file.end(), file.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return file + ".svg";
}

} // namespace tarnel::skingen

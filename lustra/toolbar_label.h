#pragma once

#include "lustra/toolbar_item.h"

#include <QString>

namespace LUSTRA {

// The label as stored, even when the caller filled all of szText.
QString ToolbarItemLabel(const ST_TOOLBAR_ITEM& item);

} // namespace LUSTRA

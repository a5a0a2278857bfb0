#pragma once

// The skin control library: every public header.
#include "lustra/combo_box_ext.h"
#include "lustra/dialog_ext.h"
#include "lustra/image_drawing.h"
#include "lustra/image_info.h"
#include "lustra/image_loader.h"
#include "lustra/image_mgr.h"
#include "lustra/list_box_ext.h"
#include "lustra/list_box_item.h"
#include "lustra/list_box_notify_event.h"
#include "lustra/list_ctrl_ext.h"
#include "lustra/lustra_export.h"
#include "lustra/progress_ctrl_ext.h"
#include "lustra/string_copy.h"
#include "lustra/tool_pane_ext.h"
#include "lustra/toolbar_item.h"
#include "lustra/tree_ctrl_ext.h"

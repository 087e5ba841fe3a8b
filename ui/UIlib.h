#pragma once
// The whole toolkit interface in one include, as windows and panels use it.

#include "ui/builder.h"
#include "ui/colorpalette.h"
#include "ui/container.h"
#include "ui/control.h"
#include "ui/controls.h"
#include "ui/core.h"
#include "ui/edit.h"
#include "ui/list.h"
#include "ui/manager.h"
#include "ui/menu_controls.h"
#include "ui/render.h"
#include "ui/resource.h"
#include "ui/window.h"
#include "ui/custom_controls.h"

#pragma once
// The benchmarks' window: it shows nothing and answers no one, so that only the code under
// measure runs. Every question is declined and every file in use given up (Cancel is not Yes).

#include "core/seam/BlankWindow.h"

using QuietWindow = BlankWindow;

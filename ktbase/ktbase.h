// ktbase: the foundation library of the Kt graph family. Including this header brings in every
// public header of the library.
#ifndef KTBASE_KTBASE_H
#define KTBASE_KTBASE_H

#include "ktbase/core/algorithm.h"
#include "ktbase/core/allocation.h"
#include "ktbase/core/numbers.h"
#include "ktbase/core/object.h"

#include "ktbase/containers/dlist.h"
#include "ktbase/containers/slist.h"

#include "ktbase/geometry/platform.h"
#include "ktbase/geometry/point.h"
#include "ktbase/geometry/rect.h"
#include "ktbase/geometry/tuple.h"

#endif  // KTBASE_KTBASE_H

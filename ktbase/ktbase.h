// ktbase: the foundation library of the Kt graph family. Including this header brings in every
// public header of the library.
#ifndef KTBASE_KTBASE_H
#define KTBASE_KTBASE_H

#include "ktbase/core/algorithm.h"
#include "ktbase/core/allocation.h"
#include "ktbase/core/numbers.h"
#include "ktbase/core/object.h"
#include "ktbase/core/text.h"

#include "ktbase/containers/bin_heap.h"
#include "ktbase/containers/bin_tree.h"
#include "ktbase/containers/dlist.h"
#include "ktbase/containers/hash_table.h"
#include "ktbase/containers/list_sort.h"
#include "ktbase/containers/slist.h"
#include "ktbase/containers/sorted_list.h"
#include "ktbase/containers/typed_list.h"

#include "ktbase/geometry/platform.h"
#include "ktbase/geometry/point.h"
#include "ktbase/geometry/rect.h"
#include "ktbase/geometry/rotated_rect.h"
#include "ktbase/geometry/shape.h"
#include "ktbase/geometry/sweep.h"
#include "ktbase/geometry/transform.h"
#include "ktbase/geometry/tuple.h"

#include "ktbase/files/file.h"
#include "ktbase/files/format.h"
#include "ktbase/files/platform.h"
#include "ktbase/files/string_pool.h"
#include "ktbase/files/text_file.h"

#include "ktbase/oml/oml_bin_value.h"
#include "ktbase/oml/oml_extension.h"
#include "ktbase/oml/oml_file.h"
#include "ktbase/oml/oml_object.h"
#include "ktbase/oml/oml_static.h"
#include "ktbase/oml/oml_syntax.h"
#include "ktbase/oml/oml_token.h"
#include "ktbase/oml/ufactory.h"

#include "ktbase/resources/color.h"
#include "ktbase/resources/resource.h"
#include "ktbase/resources/shape_resource.h"

#endif  // KTBASE_KTBASE_H

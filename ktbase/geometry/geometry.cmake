# Geometry: coordinate values, points and the line functions, rectangles, transforms, shapes and
# the segment sweep. Paths are relative to the ktbase/ folder.
set(ktbase_geometry_headers geometry/platform.h geometry/tuple.h geometry/point.h geometry/rect.h
  geometry/transform.h geometry/rotated_rect.h geometry/shape.h geometry/sweep.h)
set(ktbase_geometry_sources geometry/tuple.cpp geometry/point.cpp geometry/rect.cpp
  geometry/rect_clip.cpp geometry/transform.cpp geometry/rotated_rect.cpp geometry/shape.cpp
  geometry/sweep.cpp)
set(ktbase_geometry_tests geometry/tuple_test.cpp geometry/point_test.cpp geometry/rect_test.cpp
  geometry/rect_clip_test.cpp geometry/transform_test.cpp geometry/rotated_rect_test.cpp
  geometry/shape_test.cpp geometry/sweep_test.cpp)

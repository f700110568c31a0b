// The demo's sections, each in its own file, and what they share.
#ifndef KTBASE_EXAMPLES_DEMO_H
#define KTBASE_EXAMPLES_DEMO_H

// Prints a section heading.
void heading(const char* text);

// Reads the bundled network file from `dataDir`, interns its names, writes a report into a
// temporary directory and reads it back.
void filesDemo(const char* dataDir);

// Sorts lists of objects three ways and maps identifiers with the index hash table.
void sortingDemo();

// A sorted tree, a heap with a changed key, a sorted list and a list of points.
void containersDemo();

// Points, segments and rectangles; clipping against a rectangle and a rotated one; a transform
// from world to device and back; node shapes; a sweep over horizontal segments.
void geometryDemo();

// Colours by name, as text and back, with their grey values; a colour database sharing one
// instance per colour; a node shape shared by two owners and freed with the last.
void resourcesDemo();

#endif  // KTBASE_EXAMPLES_DEMO_H

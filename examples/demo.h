// The demo's sections, each in its own file, and what they share.
#ifndef KTBASE_EXAMPLES_DEMO_H
#define KTBASE_EXAMPLES_DEMO_H

// Prints a section heading.
void heading(const char* text);

// Reads the bundled network file from `dataDir`, interns its names, writes a report into a
// temporary directory and reads it back.
void filesDemo(const char* dataDir);

#endif  // KTBASE_EXAMPLES_DEMO_H

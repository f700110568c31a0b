// The grammar of the graph the OML benchmarks generate: a Graph (label, directed, a layout
// section) holding Nodes (label, x, y, width, height, shape, colour) and Edges (source and
// target references to nodes, label, weight), in omltool's grammar file form.
#ifndef KTBASE_BENCH_GRAPH_GRAMMAR_H
#define KTBASE_BENCH_GRAPH_GRAMMAR_H

constexpr char kGraphGrammar[] =
    "value box 1\nvalue ellipse 2\nvalue circle 3\nvalue diamond 4\n"
    "O $toplevel$\nT Graph\n}\n"
    "O Graph\nF label S\nF directed B\nS layout\nF spacing R\nF orthogonal B\n}\nT Node\nT "
    "Edge\n}\n"
    "O Node\nF label S\nF x I\nF y I\nF width R\nF height R\nE shape [box..diamond]\n"
    "F colour S\n}\n"
    "O Edge\nR source Node R\nR target Node R\nF label S\nF weight R\n}\n";

#endif  // KTBASE_BENCH_GRAPH_GRAMMAR_H

#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The logic of the tree view TVxTreeView without widgets: structured lists are lines whose levels
// are separated by "\" ("Kunden\Müller\2004"), kept sorted, turned into nodes and back.
namespace TVxTreeItems {

inline const QChar kSeparator = QLatin1Char('\\');

// Sorts without regard to case in the order of the locale, level by level, so that every path
// directly follows its parent path and a parent's children stay together.
void Sort(QStringList& lines, QChar separator = kSeparator);
// Compares two paths as Sort does: negative, zero or positive.
int Compare(const QString& a, const QString& b, QChar separator = kSeparator);

struct Node
{
    QString text; // the part after the last separator
    int level = 0; // the number of separators in the line
    int parent = -1; // index of the parent node, -1 for a top-level node
    int line = -1; // index of the line it came from
};

// Builds the nodes for the lines in their order: the first line is a top-level node; a line on
// the level of the previous node is its sibling, one level deeper its child, shallower a sibling
// of the previous node's ancestor on that level. Empty lines are left out. A line more than one
// level deeper than the previous node raises DxError "Ungültige Ebene (%d) für Eintrag \"%s\""
// with its level and the line; the nodes built so far are in *built when given.
std::vector<Node> BuildNodes(
    const QStringList& lines, QChar separator = kSeparator, std::vector<Node>* built = nullptr);

// The full path of a node: its ancestors' texts and its own joined by the separator.
QString PathOf(const std::vector<Node>& nodes, int index, QChar separator = kSeparator);
// Every node's full path in node order, then sorted.
QStringList SortedPaths(const std::vector<Node>& nodes, QChar separator = kSeparator);

QString LevelErrorText(int level, const QString& line);

} // namespace TVxTreeItems

#include "VxTreeItems.h"

#include "platform/Errors.h"

#include <QCollator>

#include <algorithm>

namespace {
const QCollator& collator()
{
    static const QCollator instance = [] {
        QCollator c{QLocale()};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setIgnorePunctuation(false);
        return c;
    }();
    return instance;
}
} // namespace

int TVxTreeItems::Compare(const QString& a, const QString& b, QChar separator)
{
    const QStringList left = a.split(separator);
    const QStringList right = b.split(separator);
    const qsizetype common = std::min(left.size(), right.size());
    for (qsizetype i = 0; i < common; ++i) {
        int result = collator().compare(left.at(i), right.at(i));
        if (result == 0)
            result = left.at(i).compare(right.at(i), Qt::CaseInsensitive);
        if (result != 0)
            return result;
    }
    if (left.size() != right.size())
        return left.size() < right.size() ? -1 : 1;
    return a.compare(b); // equal without regard to case: a stable, definite order
}

void TVxTreeItems::Sort(QStringList& lines, QChar separator)
{
    std::stable_sort(lines.begin(), lines.end(),
        [separator](const QString& a, const QString& b) { return Compare(a, b, separator) < 0; });
}

QString TVxTreeItems::LevelErrorText(int level, const QString& line)
{
    return QStringLiteral("Ungültige Ebene (%1) für Eintrag \"%2\"").arg(level).arg(line);
}

std::vector<TVxTreeItems::Node> TVxTreeItems::BuildNodes(
    const QStringList& lines, QChar separator, std::vector<Node>* built)
{
    std::vector<Node> nodes;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (line.isEmpty())
            continue;
        Node node;
        node.level = int(line.count(separator));
        node.text = line.mid(line.lastIndexOf(separator) + 1);
        node.line = i;
        if (!nodes.empty()) {
            const int previous = int(nodes.size()) - 1;
            const int previousLevel = nodes.back().level;
            if (node.level == previousLevel) {
                node.parent = nodes.back().parent;
            } else if (node.level == previousLevel + 1) {
                node.parent = previous;
            } else if (node.level > previousLevel + 1) {
                if (built)
                    *built = nodes;
                throw DxError(LevelErrorText(node.level, line));
            } else {
                // Shallower: a sibling of the nearest ancestor whose level is not above this one.
                int ancestor = nodes.back().parent;
                while (ancestor >= 0 && nodes.at(size_t(ancestor)).level > node.level)
                    ancestor = nodes.at(size_t(ancestor)).parent;
                node.parent = ancestor < 0 ? -1 : nodes.at(size_t(ancestor)).parent;
            }
        }
        nodes.push_back(node);
    }
    if (built)
        *built = nodes;
    return nodes;
}

QString TVxTreeItems::PathOf(const std::vector<Node>& nodes, int index, QChar separator)
{
    QStringList parts;
    for (int i = index; i >= 0; i = nodes.at(size_t(i)).parent)
        parts.prepend(nodes.at(size_t(i)).text);
    return parts.join(separator);
}

QStringList TVxTreeItems::SortedPaths(const std::vector<Node>& nodes, QChar separator)
{
    QStringList paths;
    for (int i = 0; i < int(nodes.size()); ++i)
        paths << PathOf(nodes, i, separator);
    Sort(paths, separator);
    return paths;
}

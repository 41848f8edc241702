#include "properties/VxTreeItems.h"
#include "PropertiesFixture.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

namespace {

// "text@parent" per node, parent as the index of the parent node.
QStringList describe(const std::vector<TVxTreeItems::Node>& nodes)
{
    QStringList out;
    for (const auto& node : nodes)
        out << node.text + QLatin1Char('@') + QString::number(node.parent);
    return out;
}

TEST(VxTreeItems, SortIgnoresCaseAndKeepsChildrenUnderTheirParent)
{
    QStringList lines{"b", "A\\b", "a B", "A", "A\\B\\c", "AB", "Ä", "a\\a"};
    TVxTreeItems::Sort(lines);
    const int a = int(lines.indexOf("A"));
    EXPECT_EQ(lines.mid(a, 4), (QStringList{"A", "a\\a", "A\\b", "A\\B\\c"}));
    EXPECT_LT(lines.indexOf("A"), lines.indexOf("b"));
    EXPECT_LT(lines.indexOf("AB"), lines.indexOf("b"));
    EXPECT_EQ(lines.size(), 8);
    // The sorted list always builds.
    EXPECT_NO_THROW(TVxTreeItems::BuildNodes(lines));
}

TEST(VxTreeItems, BuildNodesFollowsTheLevelRules)
{
    struct Case
    {
        QStringList lines;
        QStringList nodes;
    };
    const Case cases[] = {
        {{"A", "A\\B", "A\\B\\C", "B"}, {"A@-1", "B@0", "C@1", "B@-1"}},
        {{"A", "A\\B", "A\\B\\C", "A\\D"}, {"A@-1", "B@0", "C@1", "D@0"}},
        {{"A", "", "B"}, {"A@-1", "B@-1"}},
        {{"A\\B", "A\\B\\C", "X"}, {"B@-1", "C@0", "X@-1"}},
        {{"C:\\", "C:\\A"}, {"@-1", "A@-1"}}, // both on level 1
        {{}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(describe(TVxTreeItems::BuildNodes(c.lines)), c.nodes) << c.lines.join('|').toStdString();

    const auto nodes = TVxTreeItems::BuildNodes({"A", "A\\B", "A\\B\\C", "B"});
    EXPECT_EQ(TVxTreeItems::PathOf(nodes, 2), QStringLiteral("A\\B\\C"));
    EXPECT_EQ(nodes.at(2).level, 2);
    EXPECT_EQ(nodes.at(3).line, 3);
}

TEST(VxTreeItems, LevelGapRaisesTheLevelErrorAndKeepsWhatWasBuilt)
{
    std::vector<TVxTreeItems::Node> built;
    try {
        TVxTreeItems::BuildNodes({"A", "A\\B", "A\\B\\C\\D", "E"}, TVxTreeItems::kSeparator, &built);
        FAIL() << "no error";
    } catch (const DxError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Ungültige Ebene (3) für Eintrag \"A\\B\\C\\D\""));
    }
    EXPECT_EQ(describe(built), (QStringList{"A@-1", "B@0"}));
}

TEST(VxTreeItems, SortedPathsWalksAllNodes)
{
    auto nodes = TVxTreeItems::BuildNodes({"Kunden", "Kunden\\Müller", "Kunden\\Müller\\2004", "Intern"});
    nodes.at(1).text = QStringLiteral("Maier"); // renamed by the user
    EXPECT_EQ(
        TVxTreeItems::SortedPaths(nodes), (QStringList{"Intern", "Kunden", "Kunden\\Maier", "Kunden\\Maier\\2004"}));
}

} // namespace

#include "properties/VxTreeView.h"
#include "PropertiesFixture.h"
#include "platform/Errors.h"
#include "properties/LayoutControls.h"

#include <QLineEdit>
#include <QTest>

namespace {

QStringList topLevelTexts(const TVxTreeView& tree)
{
    QStringList texts;
    for (int row = 0; row < tree.Model()->rowCount(); ++row)
        texts << tree.Model()->index(row, 0).data().toString();
    return texts;
}

TEST(VxTreeView, ProjectListWithFirstNode)
{
    TVxTreeView tree;
    tree.SetFirstNodeText(QStringLiteral("[alle Projekte]"));
    tree.LoadItems({"B", "a\\B\\C", "a", "A\\B"});
    EXPECT_EQ(tree.Items(), (QStringList{"a", "A\\B", "a\\B\\C", "B"}));
    EXPECT_EQ(topLevelTexts(tree), (QStringList{"[alle Projekte]", "a", "B"}));

    const QModelIndex a = tree.Model()->index(1, 0);
    ASSERT_EQ(tree.Model()->rowCount(a), 1);
    const QModelIndex ab = tree.Model()->index(0, 0, a);
    EXPECT_EQ(ab.data().toString(), QStringLiteral("B"));
    const QModelIndex abc = tree.Model()->index(0, 0, ab);
    EXPECT_EQ(abc.data().toString(), QStringLiteral("C"));

    // Absolute index n is item list entry n - 1.
    EXPECT_EQ(tree.NodeCount(), 5);
    for (int n = 1; n < 5; ++n)
        EXPECT_EQ(tree.NodePath(tree.NodeAt(n)), tree.Items().at(n - 1)) << n;
    EXPECT_EQ(tree.AbsoluteIndex(abc), 3);
    EXPECT_TRUE(tree.IsFirstNode(tree.NodeAt(0)));
    EXPECT_EQ(tree.NodePath(tree.NodeAt(0)), QString());

    ASSERT_TRUE(tree.SelectPath(QStringLiteral("A\\b\\c")));
    EXPECT_EQ(tree.SelectedPath(), QStringLiteral("a\\B\\C"));
    EXPECT_EQ(tree.AbsoluteIndex(tree.currentIndex()), 3);
    EXPECT_FALSE(tree.SelectPath(QStringLiteral("X")));
    ASSERT_TRUE(tree.SelectAbsoluteIndex(0));
    EXPECT_EQ(tree.SelectedPath(), QString());
}

TEST(VxTreeView, LevelGapIsReportedAndTheTreeKeepsWhatWasBuilt)
{
    TVxTreeView tree;
    tree.SetItems({"A", "A\\B\\C", "D"});
    try {
        tree.BuildTree();
        FAIL() << "no error";
    } catch (const DxError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Ungültige Ebene (2) für Eintrag \"A\\B\\C\""));
    }
    EXPECT_EQ(topLevelTexts(tree), QStringList{"A"});
}

TEST(VxTreeView, UserChangesComeBackAsSortedLines)
{
    TVxTreeView tree;
    tree.SetFirstNodeText(QStringLiteral("[alle Projekte]"));
    tree.LoadItems({"Kunden", "Kunden\\Müller", "Intern"});
    const QModelIndex kunden = tree.NodeAt(2);
    ASSERT_EQ(kunden.data().toString(), QStringLiteral("Kunden"));
    const QModelIndex mueller = tree.NodeAt(3);

    tree.AddChild(mueller, QStringLiteral("2004"));
    tree.AddSibling(kunden, QStringLiteral("Archiv"));
    tree.SetNodeText(mueller, QStringLiteral("Maier"));
    EXPECT_TRUE(tree.IsChanged());
    EXPECT_EQ(tree.NodePath(tree.NodeAt(3)), QStringLiteral("Kunden\\Maier"));
    EXPECT_EQ(tree.TreeToLines(), (QStringList{"Archiv", "Intern", "Kunden", "Kunden\\Maier", "Kunden\\Maier\\2004"}));

    tree.DeleteNode(tree.NodeAt(2)); // Kunden with its children
    tree.UpdateItemsFromTree();
    EXPECT_EQ(tree.Items(), (QStringList{"Archiv", "Intern"}));
    tree.BuildTree();
    EXPECT_FALSE(tree.IsChanged());
    EXPECT_EQ(topLevelTexts(tree), (QStringList{"[alle Projekte]", "Archiv", "Intern"}));
}

TEST(VxTreeComboBox, ChoosingANodeGivesItsFullPath)
{
    TVxTreeComboBox box;
    box.SetTreeItems({"Kunden\\Müller", "Kunden", "Intern"});
    EXPECT_EQ(box.TreeItems(), (QStringList{"Intern", "Kunden", "Kunden\\Müller"}));
    box.resize(200, 24);
    box.show();
    box.showPopup();
    ASSERT_TRUE(box.IsPopupVisible());
    TVxTreeView* tree = box.Tree();
    const QModelIndex mueller = tree->NodeAt(2);
    ASSERT_EQ(mueller.data().toString(), QStringLiteral("Müller"));
    tree->setCurrentIndex(mueller);
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_FALSE(box.IsPopupVisible());
    EXPECT_EQ(box.currentText(), QStringLiteral("Kunden\\Müller"));

    box.SetListOnly(true);
    EXPECT_TRUE(box.lineEdit()->isReadOnly());
    // A list with a level gap shows what comes before the gap.
    box.SetTreeItems({"A", "A\\B\\C"});
    EXPECT_EQ(tree->NodeCount(), 1);
}

} // namespace

#include "DocumentsFixture.h"

#include "documents/ApplicationCheckListBox.h"
#include "documents/ApplicationComboBox.h"
#include "documents/Document.h"
#include "documents/DocumentWindows.h"
#include "documents/FileProperties.h"
#include "documents/WwwAdrDlg.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "settings/ProgramSettings.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {
// Runs the action on the next modal dialog once it is shown.
void whenModal(std::function<void(QWidget*)> action)
{
    QTimer::singleShot(0, [action = std::move(action)] {
        TestEnv::waitUntil([] { return QApplication::activeModalWidget() != nullptr; });
        action(QApplication::activeModalWidget());
    });
}
} // namespace

TEST(ApplicationCheckListBoxTest, RowsMarksAndUserClicks)
{
    TestEnv::writeFile("Templates/Neu.odt", "PK");
    TApplicationCheckListBox box;
    QSignalSpy updated(&box, &TApplicationCheckListBox::AfterUpdate);
    QSignalSpy clicks(&box, &TApplicationCheckListBox::OnClickCheck);
    box.UpdateItems();
    EXPECT_EQ(updated.count(), 1);
    ASSERT_EQ(box.count(), box.ApplInfos().Count());
    const int odt = box.ApplInfos().IndexOfExtension(".odt");
    ASSERT_GE(odt, 0);
    EXPECT_EQ(box.item(odt)->text(), "ODT-Dokument");
    EXPECT_FALSE(box.item(odt)->icon().isNull());
    EXPECT_EQ(box.item(odt)->sizeHint().height(), 20);

    box.SetChecked(odt, true);
    EXPECT_TRUE(box.Checked(odt));
    EXPECT_EQ(clicks.count(), 0) << "marks set by the program are no clicks";

    box.show();
    box.setCurrentRow(odt);
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Space);
    EXPECT_FALSE(box.Checked(odt));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks[0][0].toInt(), odt);

    box.ApplInfos().setSmallIcons(false);
    box.UpdateItems();
    EXPECT_EQ(box.item(0)->sizeHint().height(), 36);
    EXPECT_FALSE(box.Checked(odt)) << "a new build clears the marks";
}

TEST(ApplicationComboBoxTest, FilledAndRefilledWithTheTypes)
{
    ProgramSettings settings;
    settings.Cfg.CommonFilesPath = TestEnv::home() + "common/";
    auto list = std::make_unique<TDravonelApplicationList>(settings, "/nowhere/doxarel");
    auto combo = std::make_unique<QComboBox>();
    AttachControl(*list, combo.get());
    ASSERT_EQ(combo->count(), 4);
    EXPECT_EQ(combo->itemText(1), "Notiz");
    EXPECT_TRUE(combo->itemIcon(0).isNull()) << "no type, no image";
    EXPECT_FALSE(combo->itemIcon(2).isNull());
    EXPECT_EQ(combo->currentIndex(), -1);

    combo->setCurrentIndex(3);
    list->Add(".abc", "ABC-Datei", "", "");
    ASSERT_EQ(combo->count(), 5);
    EXPECT_EQ(combo->itemText(4), "ABC-Datei");
    EXPECT_EQ(combo->currentIndex(), 3) << "the selected type stays selected";
    combo->setCurrentIndex(4);
    list->Add(".0", "Null", "", "");
    list->Delete(".abc");
    EXPECT_EQ(combo->count(), 5);
    EXPECT_EQ(combo->currentIndex(), -1) << "its type is gone";

    QLineEdit edit;
    EXPECT_THROW(AttachControl(*list, &edit), DxError);
    combo.reset();
    EXPECT_NO_THROW(list->Add(".after", "", "", "")) << "the destroyed combo box detached itself";

    auto survivor = std::make_unique<QComboBox>();
    AttachControl(*list, survivor.get());
    list.reset();
    survivor.reset(); // the list went first: nothing to detach from
}

TEST(WwwAdrDlgTest, AddressFieldAndFileChoice)
{
    ScriptedDialogs dialogs;
    TwwwAdrDlgForm form(dialogs);
    EXPECT_EQ(form.windowTitle(), "Internet-Adresse öffnen");
    EXPECT_EQ(form.EditURL->text(), "http://www.");
    EXPECT_EQ(form.EditURL->toolTip(), "Internetadresse oder HTML-Datei");
    EXPECT_EQ(form.LabelExample->text(), "Internetadressen beginnen in der Regel mit \"http://www.\"");

    dialogs.queueText(std::nullopt);
    form.BtnOpenFileClick();
    EXPECT_EQ(dialogs.asked().last().preset, "") << "a web address: no file preset";
    EXPECT_EQ(form.EditURL->text(), "http://www.") << "cancelled: unchanged";

    const QString page = TestEnv::writeFile("web/seite.html", "<html/>");
    form.EditURL->setText(page);
    dialogs.queueText(TestEnv::home() + "web/andere.htm");
    form.BtnOpenFileClick();
    EXPECT_EQ(dialogs.asked().last().preset, page) << "a local path opens the dialog on that file";
    EXPECT_EQ(form.EditURL->text(), TestEnv::home() + "web/andere.htm");

    int helpTopic = 0;
    form.HelpHandler = [&](int topic) { helpTopic = topic; };
    form.BtnHelp->click();
    EXPECT_EQ(helpTopic, 1016);

    whenModal([](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("EditURL")->setText("https://example.org");
        dialog->findChild<QPushButton*>("BtnOk")->click();
    });
    EXPECT_EQ(TwwwAdrDlgForm::Execute(dialogs, "http://www."), std::optional<QString>("https://example.org"));
    whenModal([](QWidget* dialog) { dialog->findChild<QPushButton*>("BtnCancel")->click(); });
    EXPECT_EQ(TwwwAdrDlgForm::Execute(dialogs, "x"), std::nullopt);
}

TEST(DocumentWindowsTest, FilePropertiesAndOpenWith)
{
    const QString file = TestEnv::writeFile("docs/Brief.txt", "12345");
    TFormFileProperties properties(file);
    EXPECT_EQ(properties.valueOf("Name:"), "Brief.txt");
    EXPECT_EQ(properties.valueOf("Ort:"), TestEnv::home() + "docs");
    EXPECT_EQ(properties.valueOf("Größe:"), "5 Bytes");
    EXPECT_TRUE(properties.valueOf("Typ:").startsWith("Einfaches Textdokument"));

    ScriptedDialogs dialogs;
    DesktopDatabase::DesktopEntry editor;
    editor.id = "editor.desktop";
    editor.name = "Editor";
    editor.exec = "/opt/edit %f";
    TFormOpenWith choice(dialogs, file, {&editor});
    ASSERT_EQ(choice.ListPrograms->count(), 1);
    EXPECT_EQ(choice.ListPrograms->item(0)->text(), "Editor");
    whenModal([](QWidget* dialog) {
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == "&OK")
                button->click();
        }
    });
    ASSERT_EQ(choice.exec(), QDialog::Accepted);
    EXPECT_EQ(choice.Choice(), "/opt/edit %f");

    dialogs.queueText("/usr/bin/other");
    choice.BtnOtherClick();
    EXPECT_EQ(choice.Choice(), "/usr/bin/other");

    InstallDocumentWindows(dialogs);
    EXPECT_TRUE(FileProperties::hasHandler());
    whenModal([](QWidget* dialog) { dialog->close(); });
    EXPECT_TRUE(FileProperties::show(file));
    FileProperties::setHandler({});
    TDravonelDocument::setOpenWithHandler({});
}

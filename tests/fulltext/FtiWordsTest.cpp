#include "FtiFixture.h"
#include "documents/TextConversion.h"
#include "platform/db/SqlConnection.h"

#include <QFileInfo>

namespace {
class FtiWordsTest : public FtiFixture
{
protected:
    QStringList split(const QString& text, QStringList* ignored = nullptr)
    {
        TFtiWordList list;
        words->SplitWords(text, list, ignored);
        return list.words();
    }
    QStringList fileWords(const QString& path)
    {
        TFtiWordList list;
        words->CollectFileWords(path, list, 1);
        return list.words();
    }
};
} // namespace

TEST_F(FtiWordsTest, NormalForms)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Straße", "strasse"},
        {"STRASSE", "strasse"},
        {"Äb", "aeb"},
        {"HAUSTÜR", "haustuer"},
        {"Öl", "oel"},
        {"abcdefghijklmnopqrstuvwxyzabcdefghijklmn", "abcdefghijklmnopqrstuvwxyzabcd"},
        {"Übergrößenträgerüberwachungsämter", "uebergroessentraegerueberwachu"},
    };
    for (const auto& [word, form] : cases)
        EXPECT_EQ(TFtiWords::NormalForm(QString::fromUtf8(word)).toStdString(), form) << word;
}

TEST_F(FtiWordsTest, SplitWordsBySettings)
{
    struct Case
    {
        int ignoreLength;
        bool ignoreDigits;
        bool withIgnored;
        const char* text;
        const char* words;
        const char* ignored;
    };
    const Case cases[] = {
        {3, true, false, "Haus und Garten, Haus!", "haus.garten", ""},
        {3, true, true, "Haus und Garten, Haus!", "haus.garten", "und,Haus"},
        {3, true, false, "ab Äb abc", "abc", ""},
        {3, true, true, "ab Äb abc", "aeb.abc", "ab"},
        {3, true, false, "abc123 xyz", "abc.xyz", ""},
        {3, false, false, "abc123 xyz", "abc123.xyz", ""},
        {3, true, false, "Straße STRASSE strasse", "strasse", ""},
        {1, true, true, "a-b_c/d", "a.b.c.d", ""},
        {1, true, true, "a@b[c`d{e^f]g~h", "a.b.c.d.e.f.g.h", ""},
        {3, true, true, "Café Niño", "caf", "Ni,o"},
        {3, true, true, "***???\"\"''", "", ""},
        {3, true, true, "HAUS Haus haus", "haus", "Haus,haus"},
        {3, true, true, "UND Und und", "", "UND,Und,und"},
        {3, true, false, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij", "abcdefghijklmnopqrstuvwxyzabcd", ""},
        {3, true, false, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdÄÖÜ", "abcdefghijklmnopqrstuvwxyzabcd", ""},
        {3, false, true, "ABC123 abc123 123", "abc123.123", "abc123"},
    };
    for (const Case& c : cases) {
        dm->Settings.Cfg.FtiIgnoreLength = c.ignoreLength;
        dm->Settings.Cfg.FtiIgnoreDigits = c.ignoreDigits;
        words->SetWordCharacters(c.ignoreDigits);
        QStringList ignored;
        const QStringList found = split(QString::fromUtf8(c.text), c.withIgnored ? &ignored : nullptr);
        EXPECT_EQ(found.join(QLatin1Char('.')).toStdString(), c.words) << c.text;
        EXPECT_EQ(ignored.join(QLatin1Char(',')).toStdString(), c.ignored) << c.text;
    }
}

TEST_F(FtiWordsTest, WordListTextHasEachWordBetweenPoints)
{
    TFtiWordList list;
    EXPECT_EQ(list.text(), QStringLiteral("."));
    words->SplitWords(QStringLiteral("Haus Garten haus"), list);
    EXPECT_EQ(list.text(), QStringLiteral(".haus.garten."));
}

TEST_F(FtiWordsTest, StopWordListIsMadeFromItsShippedSourceAtFirstUse)
{
    ASSERT_FALSE(QFileInfo::exists(programFolder + QStringLiteral("stopword.lst")));
    QStringList ignored;
    EXPECT_EQ(split(QStringLiteral("Der Vertrag über die Lieferung"), &ignored),
        (QStringList{QStringLiteral("vertrag"), QStringLiteral("lieferung")}));
    EXPECT_EQ(ignored, (QStringList{QStringLiteral("Der"), QStringLiteral("über"), QStringLiteral("die")}));
    const QStringList list = QString::fromUtf8(TestEnv::readFile(programFolder + QStringLiteral("stopword.lst")))
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_TRUE(list.contains(QStringLiteral("ueber")));
    EXPECT_TRUE(list.contains(QStringLiteral("dass")));
    EXPECT_FALSE(list.contains(QStringLiteral("am"))); // shorter than the minimum word length
    QStringList sorted = list;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(list, sorted);
}

TEST_F(FtiWordsTest, StopWordFileRule)
{
    const QString source = TestEnv::writeFile(QStringLiteral("s.txt"), "  Über \nab\nx1y\nDASS\nWeiß\n\nüberhaupt\n");
    const QString target = TestEnv::home() + QStringLiteral("s.lst");
    ASSERT_TRUE(TFtiWords::BuildStopWordFile(source, target, 3, true));
    EXPECT_EQ(TestEnv::readFile(target), QByteArray("dass\nueber\nueberhaupt\nweiss\n"));
    ASSERT_TRUE(TFtiWords::BuildStopWordFile(source, target, 3, false));
    EXPECT_EQ(TestEnv::readFile(target), QByteArray("dass\nueber\nueberhaupt\nweiss\nx1y\n"));
}

TEST_F(FtiWordsTest, IndexableFilesByTypeListWithLetterCase)
{
    dm->Settings.FtiFileTypes = QStringLiteral(".doc.txt.");
    const QString upper = TestEnv::writeFile(QStringLiteral("REPORT.DOC"), "x");
    const QString lower = TestEnv::writeFile(QStringLiteral("report.doc"), "x");
    const QString other = TestEnv::writeFile(QStringLiteral("bild.png"), "x");
    EXPECT_TRUE(words->IsFileNotIndexable(upper));
    EXPECT_FALSE(words->IsFileNotIndexable(lower));
    EXPECT_TRUE(words->IsFileNotIndexable(other));
    EXPECT_TRUE(words->IsFileNotIndexable(TestEnv::home() + QStringLiteral("fehlt.txt")));
    EXPECT_FALSE(words->IsFileNotIndexable(QStringLiteral("(internes Dokument)")));
}

TEST_F(FtiWordsTest, FileContentsAreDecodedAsUtf8OrWindows1252)
{
    EXPECT_EQ(fileWords(TestEnv::writeFile(QStringLiteral("u.txt"), "Größe Tür")),
        (QStringList{QStringLiteral("groesse"), QStringLiteral("tuer")}));
    EXPECT_EQ(fileWords(TestEnv::writeFile(QStringLiteral("w.txt"),
                  "Gr\xf6\xdf"
                  "e T\xfcr")),
        (QStringList{QStringLiteral("groesse"), QStringLiteral("tuer")}));
    EXPECT_EQ(fileWords(TestEnv::home() + QStringLiteral("fehlt.txt")), QStringList());
}

TEST_F(FtiWordsTest, HtmlFilesAreReducedToText)
{
    const QString page = TestEnv::writeFile(QStringLiteral("p.html"),
        "<html><body class=\"haus\"><p>K&auml;se &AMP; Stra&szlig;e</p>\n<b>fett</b> <a href=\"x\"");
    EXPECT_EQ(fileWords(page),
        (QStringList{
            QStringLiteral("kaese"), QStringLiteral("amp"), QStringLiteral("strasse"), QStringLiteral("fett")}));
}

TEST_F(FtiWordsTest, LargeFilesAreReadUpToTheLimitWithoutCuttingWords)
{
    QByteArray bytes(qsizetype(TFtiWords::kPieceSize) - 3, ' ');
    bytes += "grenzwort ";
    bytes += QByteArray(qsizetype(TFtiWords::kPieceSize), ' ');
    bytes += "hinten";
    const QString path = TestEnv::writeFile(QStringLiteral("big.txt"), bytes);
    dm->Settings.Cfg.FtiMaxFileSize = 1;
    EXPECT_EQ(fileWords(path), (QStringList{QStringLiteral("grenzwort")}));
    dm->Settings.Cfg.FtiMaxFileSize = 0;
    EXPECT_EQ(fileWords(path), (QStringList{QStringLiteral("grenzwort"), QStringLiteral("hinten")}));
}

TEST_F(FtiWordsTest, PdfWithoutConverterAddsNoWordsAndIsLogged)
{
    const QString pdf = TestEnv::writeFile(QStringLiteral("a.pdf"), "%PDF-1.4 kein Inhalt");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", TestEnv::home().toUtf8());
    const QStringList found = fileWords(pdf);
    qputenv("PATH", path);
    EXPECT_EQ(found, QStringList());
    EXPECT_TRUE(logText().contains(QStringLiteral("Die Datei \"pdftotext\" wurde nicht gefunden.. PDF konnte zur "
                                                  "Indexierung nicht in Textdatei konvertiert werden")))
        << logText().toStdString();
}

TEST_F(FtiWordsTest, UnreadablePdfAddsNoWords)
{
    const QString pdf = TestEnv::writeFile(QStringLiteral("kaputt.pdf"), "kein pdf sondern text");
    EXPECT_EQ(fileWords(pdf), QStringList());
}

TEST_F(FtiWordsTest, NotesGiveTheirText)
{
    words->NoteText = [](qint64 key) -> QString { return key == 1 ? QStringLiteral("Notiz Inhalt") : QString(); };
    EXPECT_EQ(fileWords(QStringLiteral("(internes Dokument)")),
        (QStringList{QStringLiteral("notiz"), QStringLiteral("inhalt")}));
}

TEST_F(FtiWordsTest, StoreAddsWordsOnceAndRemovesThem)
{
    SqlConnection& c = dm->AdoConnectDoc;
    words->AddWordToDocument(c, QStringLiteral("haus"), 1, true, false);
    words->AddWordToDocument(c, QStringLiteral("garten"), 1, true, false);
    words->AddWordToDocument(c, QStringLiteral("haus"), 2, true, false);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM FTIWORD")).toInt(), 2);
    EXPECT_EQ(wordsOf(1), (QStringList{QStringLiteral("garten"), QStringLiteral("haus")}));
    EXPECT_EQ(scalar(QStringLiteral("SELECT NEXTID FROM IDENTNO WHERE IDNAME = 'FTIWORDID'")).toInt(), 3);

    words->AddWordToDocument(c, QStringLiteral("haus"), 1, true, false);
    EXPECT_TRUE(logText().contains(QStringLiteral(", DocID=1, Wort=haus, SQL.Text=INSERT INTO FTIWID")))
        << logText().toStdString();
    EXPECT_EQ(words->ProgressCounter.load(), 4);

    words->RemoveWordFromDocument(c, 1, QStringLiteral("haus"));
    EXPECT_EQ(wordsOf(1), QStringList{QStringLiteral("garten")});
    EXPECT_EQ(wordsOf(2), QStringList{QStringLiteral("haus")});
    words->RemoveAllWordsOfDocument(c, 2);
    EXPECT_EQ(wordsOf(2), QStringList());
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM FTIWORD")).toInt(), 2);
}

TEST_F(FtiWordsTest, SingleUserKeysNeverRepeatAStoredKey)
{
    dm->Settings.Cfg.MultiUserAccess = false;
    SqlConnection& c = dm->AdoConnectDoc;
    c.execute(QStringLiteral("INSERT INTO FTIWORD (WORD, WORDID) VALUES ('alt', 41)"));
    words->AddWordToDocument(c, QStringLiteral("neu"), 1, true, false);
    EXPECT_EQ(scalar(QStringLiteral("SELECT WORDID FROM FTIWORD WHERE WORD = 'neu'")).toInt(), 42);

    // Another archive with larger keys: the counter goes on above them.
    const QString second = TestEnv::home() + QStringLiteral("B.dva");
    ArchiveSchema(*dm).CreateArchive(second);
    dm->CurrentArchive.setPath(second);
    dm->OpenArchive();
    dm->AdoConnectDoc.execute(QStringLiteral("INSERT INTO FTIWORD (WORD, WORDID) VALUES ('gross', 100)"));
    words->AddWordToDocument(dm->AdoConnectDoc, QStringLiteral("weiter"), 1, true, false);
    EXPECT_EQ(scalar(QStringLiteral("SELECT WORDID FROM FTIWORD WHERE WORD = 'weiter'")).toInt(), 101);
}

TEST_F(FtiWordsTest, FieldWordsComeFromIndexableFieldsAndTheTypeCaption)
{
    words->TypeCaption = [](const QString& key) -> QString {
        return key == QLatin1String(".pdf") ? QStringLiteral("PDF-Dokument") : key;
    };
    SqlRecordSet& r = dm->AdoQueryDoc;
    r.append();
    r.setText(QStringLiteral("NAME"), QStringLiteral("Angebot Heizung"));
    r.setText(QStringLiteral("APPLNAME"), QStringLiteral(".pdf"));
    r.setText(QStringLiteral("NOTES"), QStringLiteral("Rückruf erbeten"));
    r.setText(QStringLiteral("DOCNO"), QStringLiteral("4711"));
    TFtiWordList list;
    words->CollectFieldWords(r, list);
    r.cancel();
    EXPECT_TRUE(list.contains(QStringLiteral("angebot")));
    EXPECT_TRUE(list.contains(QStringLiteral("heizung")));
    EXPECT_TRUE(list.contains(QStringLiteral("pdf")));
    EXPECT_TRUE(list.contains(QStringLiteral("dokument")));
    EXPECT_TRUE(list.contains(QStringLiteral("rueckruf")));
}

TEST_F(FtiWordsTest, PdfFilesAreReadThroughTheConverterAndItsTextFileGoes)
{
    if (TextConversion::converterProgram(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    const QByteArray pdf = "%PDF-1.4\n1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n2 0 obj\n<< /Type /Pages "
                           "/Kids [3 0 R] /Count 1 >>\nendobj\n3 0 obj\n<< /Type /Page /Parent 2 0 R /MediaBox [0 0 "
                           "300 100] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>\nendobj\n4 0 obj\n<< "
                           "/Length 49 >>\nstream\nBT /F1 18 Tf 20 40 Td (Rechnung Handwerker) Tj ET\nendstream\nendob"
                           "j\n5 0 obj\n<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>\nendobj\nxref\n0 6\n00"
                           "00000000 65535 f \n0000000009 00000 n \n0000000058 00000 n \n0000000115 00000 n \n0000000"
                           "241 00000 n \n0000000340 00000 n \ntrailer\n<< /Size 6 /Root 1 0 R >>\nstartxref\n410\n%%"
                           "EOF\n";
    const QString temp = TestEnv::makeFolder(QStringLiteral("tmp"));
    const QByteArray oldTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.toUtf8());
    const QStringList found = fileWords(TestEnv::writeFile(QStringLiteral("Rechnung.pdf"), pdf));
    qputenv("TMPDIR", oldTemp);
    EXPECT_EQ(found, (QStringList{QStringLiteral("rechnung"), QStringLiteral("handwerker")}));
    EXPECT_EQ(QDir(temp).entryList(QDir::Files), QStringList());
}

TEST_F(FtiWordsTest, BinaryFilesGiveBoundedWordsWithoutFailing)
{
    QByteArray bytes;
    quint32 state = 12345;
    for (int i = 0; i < 3 * 1024 * 1024; ++i) {
        state = state * 1103515245u + 12345u;
        bytes.append(char(state >> 24));
    }
    const QString path = TestEnv::writeFile(QStringLiteral("daten.txt"), bytes);
    TFtiWordList list;
    words->CollectFileWords(path, list, 1);
    for (const QString& word : list.words()) {
        ASSERT_LE(word.size(), TFtiWords::kMaxWordLength);
        ASSERT_GE(word.size(), 3);
    }
}

TEST_F(FtiWordsTest, KeyBlocksComeFromTheCounterInOneStep)
{
    SqlConnection& c = dm->AdoConnectDoc;
    c.execute(QStringLiteral("INSERT INTO FTIWORD (WORD, WORDID) VALUES ('alt', 1)"));
    c.execute(QStringLiteral("INSERT INTO IDENTNO (IDNAME, NEXTID) VALUES ('FTIWORDID', 2)"));
    // Multi-user from the counter row; single-user above the largest stored key (still 1).
    for (const bool multiUser : {true, false}) {
        SCOPED_TRACE(multiUser ? "multi-user" : "single-user");
        dm->Settings.Cfg.MultiUserAccess = multiUser;
        EXPECT_EQ(words->NewWordKeys(c, 5), 2);
        EXPECT_EQ(words->NewWordKey(c), 7);
        EXPECT_EQ(scalar(QStringLiteral("SELECT NEXTID FROM IDENTNO WHERE IDNAME = 'FTIWORDID'")).toInt(), 8);
    }
}

TEST_F(FtiWordsTest, BulkStoreWritesTheRowsOfEveryDocumentOnce)
{
    SqlConnection& c = dm->AdoConnectDoc;
    auto list = [this](const char* text) {
        TFtiWordList words;
        this->words->SplitWords(QString::fromUtf8(text), words);
        return words;
    };
    // A word another connection stores meanwhile keeps its key (one far above those handed out here).
    auto other = c.secondConnection();
    TFtiBulkStore store(*words, c);
    store.add(list("Garten Haus Zaun"), 3);
    store.add(list("Haus Dach"), 1);
    const TFtiWordList fields = list("Haus Keller");
    store.add(fields, 2);
    store.add(list("Keller Garten"), 2, &fields); // the file words of document 2: Keller is there already
    other->execute(QStringLiteral("INSERT INTO FTIWORD (WORD, WORDID) VALUES ('dach', 5000)"));
    EXPECT_EQ(store.pending(), 8u);
    EXPECT_EQ(words->ProgressCounter.load(), 8);
    store.flush();
    EXPECT_EQ(store.pending(), 0u);

    EXPECT_EQ(wordsOf(1), (QStringList{"dach", "haus"}));
    EXPECT_EQ(wordsOf(2), (QStringList{"garten", "haus", "keller"}));
    EXPECT_EQ(wordsOf(3), (QStringList{"garten", "haus", "zaun"}));
    EXPECT_EQ(scalar(QStringLiteral("SELECT WORDID FROM FTIWORD WHERE WORD = 'dach'")).toInt(), 5000);
    // Keys in the order the words were first found, one block from the counter.
    EXPECT_EQ(scalar(QStringLiteral("SELECT WORDID FROM FTIWORD WHERE WORD = 'garten'")).toInt(), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT WORDID FROM FTIWORD WHERE WORD = 'keller'")).toInt(), 5);
    EXPECT_EQ(scalar(QStringLiteral("SELECT NEXTID FROM IDENTNO WHERE IDNAME = 'FTIWORDID'")).toInt(), 6);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM FTIWORD")).toInt(), 5);
    EXPECT_FALSE(logText().contains(QStringLiteral("SQL.Text"))) << logText().toStdString();

    // Known words are not stored again; a row that exists is logged as AddWordToDocument logs it.
    store.add(list("Haus Neubau"), 1);
    store.flush();
    EXPECT_EQ(wordsOf(1), (QStringList{"dach", "haus", "neubau"}));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM FTIWORD")).toInt(), 6);
    EXPECT_TRUE(logText().contains(QStringLiteral(", DocID=1, Wort=haus, SQL.Text=INSERT INTO FTIWID\n(WORDID,DOCID)")))
        << logText().toStdString();

    // Many rows at once, one of them there already and one word stored meanwhile: the others are
    // written all the same, and only the row that was there is logged.
    QString many = QStringLiteral("Haus");
    for (int i = 0; i < 600; ++i)
        many += QStringLiteral(" wort") + QChar(u'a' + i / 26 % 26) + QChar(u'a' + i % 26) + QChar(u'a' + i / 676);
    other->execute(QStringLiteral("INSERT INTO FTIWORD (WORD, WORDID) VALUES ('wortkka', 9000)"));
    TFtiWordList manyWords;
    words->SplitWords(many, manyWords);
    ASSERT_EQ(manyWords.size(), 601);
    store.add(manyWords, 1);
    store.flush();
    EXPECT_EQ(wordsOf(1).size(), 603);
    EXPECT_EQ(scalar(QStringLiteral("SELECT WORDID FROM FTIWORD WHERE WORD = 'wortkka'")).toInt(), 9000);
    EXPECT_EQ(logText().count(QStringLiteral("SQL.Text")), 2) << logText().toStdString();
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT COUNT(*) FROM FTIWID WHERE WORDID NOT IN (SELECT WORDID FROM FTIWORD)")).toInt(),
        0);
}

#include "model/page_document.h"

#include <gtest/gtest.h>
#include <QSignalSpy>
#include <vector>

#include "model/editor_state.h"
#include "model/page_file.h"

using velmora::PageDocument;
using velmora::PageImage;

namespace {

PageImage storedPage() {
    PageImage p;
    p.lines[0].Text = "One";
    p.lines[0].FontStyle = 5;
    p.lines[0].PosX = -20;
    p.lines[0].PosY = 700;
    p.lines[0].attrs.FontSize = 77;
    p.lines[0].InPath.LastIndex = 1;
    p.lines[0].InPath.Points[0] = {3, 4};
    p.lines[1].attrs.BitmapFile = "pictures/logo.bmp"; // a picture alone is in use
    p.lines[2].attrs.WaveFile = "only.wav";             // a wave alone is not
    p.settings = {4000, 7, true};
    return p;
}

} // namespace

TEST(PageDocument, LoadTakesEveryStoredFieldAndDerivesInUse) {
    PageDocument doc;
    doc.line(2).InPathArmed = true; // arming belongs to the editor, not the file
    doc.line(3).InUse = true;
    QSignalSpy loaded(&doc, &PageDocument::loaded);
    QSignalSpy changed(&doc, &PageDocument::changedChanged);
    doc.load(storedPage());

    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(changed.count(), 0); // loading alone does not touch the changed mark
    PageImage expected = storedPage();
    expected.lines[0].attrs.InUse = expected.lines[1].attrs.InUse = true;
    expected.lines[1].attrs.InPathArmed = true;
    EXPECT_EQ(doc.page(), expected);
    EXPECT_EQ(doc.text(1), "One");
    EXPECT_EQ(doc.titleX(1), -20);
    EXPECT_EQ(doc.inPath(1).Points[0].y, 4);

    // What the document holds is what a save encodes.
    velmora::PageBuffer a, b;
    a.encode(doc.page(), "000");
    b.encode(storedPage(), "000");
    EXPECT_EQ(a.toByteArray(), b.toByteArray());
}

TEST(PageDocument, TheChangedMarkSignalsEverySetting) {
    PageDocument doc;
    EXPECT_FALSE(doc.changed());
    QSignalSpy changed(&doc, &PageDocument::changedChanged);
    doc.setsav(true);
    doc.setsav(true);
    doc.setsav(false);
    ASSERT_EQ(changed.count(), 3); // also when the mark keeps its value
    EXPECT_TRUE(changed[0][0].toBool());
    EXPECT_TRUE(changed[1][0].toBool());
    EXPECT_FALSE(changed[2][0].toBool());
    EXPECT_FALSE(doc.changed());
    EXPECT_FALSE(doc.changedRef());

    // Clearing a path marks the page changed and keeps the slots from `keepFrom` on.
    for (int i = 0; i < 1000; ++i)
        doc.outPath(3).Points[i] = {7, 7};
    doc.outPath(3).LastIndex = 500;
    doc.clearPath(3, false, 999);
    EXPECT_TRUE(doc.changed());
    EXPECT_EQ(doc.outPath(3).LastIndex, -1);
    EXPECT_EQ(doc.outPath(3).Points[998].x, 0);
    EXPECT_EQ(doc.outPath(3).Points[999].x, 7);
    EXPECT_EQ(doc.inPath(3).LastIndex, -1);
}

TEST(PageDocument, ManualIsComparedWithTheRecordAsLastLoadedOrSaved) {
    PageDocument doc;
    EXPECT_FALSE(doc.mpauseDiffersFromBuffer());
    doc.settings().mpause = true;
    EXPECT_TRUE(doc.mpauseDiffersFromBuffer());
    doc.buffer().encode(doc.page(), "000"); // saved
    EXPECT_FALSE(doc.mpauseDiffersFromBuffer());
    doc.settings().mpause = false;
    EXPECT_TRUE(doc.mpauseDiffersFromBuffer());
    EXPECT_TRUE(doc.undoStack().count() == 0);
}

// A page is stored trimmed as it is read: one whose text begins with a no-break space (which
// reading keeps) does not differ from its record once loaded, and saving it keeps the text;
// blanks and control characters at either end of a typed text still go.
TEST(PageDocument, TextsAreStoredTrimmedAsTheyAreRead) {
    PageImage written;
    written.lines[0].Text = QStringLiteral("\u00A0One\u00A0");
    written.lines[1].Text = QStringLiteral("\u00A0");
    PageDocument doc;
    doc.buffer().encode(written, "000");
    PageImage read;
    doc.buffer().decode(read);
    doc.load(read);
    EXPECT_EQ(doc.text(1), QStringLiteral("\u00A0One\u00A0"));
    EXPECT_FALSE(doc.differsFromBuffer());
    EXPECT_EQ(doc.pageToStore().lines[0].Text, QStringLiteral("\u00A0One\u00A0"));
    EXPECT_EQ(doc.pageToStore().lines[1].Text, QStringLiteral("\u00A0"));

    doc.setText(2, QStringLiteral(" \tTwo\r\n\x01"));
    EXPECT_EQ(doc.pageToStore().lines[1].Text, QStringLiteral("Two"));
    EXPECT_TRUE(doc.differsFromBuffer());
    doc.setText(2, QStringLiteral(" \u00A0 "));
    EXPECT_FALSE(doc.differsFromBuffer());
}

// A chosen file inside the project's folder is stored relative to it, so deep folders still
// fit the page file's 80 characters; a name that still does not fit is never cut.
TEST(ProjectFiles, ChosenNamesAreStoredSoThatTheyFit) {
    const QString project = "/home/someone/Videos/titles/";
    const QString deep = QString("pictures/") + QString(100, 'd') + "/logo.bmp";
    struct Case {
        QString chosen, stored;
    };
    const std::vector<Case> cases = {
        {project + "logo.bmp", "logo.bmp"},
        {project + "pictures/./logo.bmp", "pictures/logo.bmp"},
        {"/elsewhere/logo.bmp", "/elsewhere/logo.bmp"},
        {"/home/someone/Videos/titlesX/a.bmp", "/home/someone/Videos/titlesX/a.bmp"},
        {"/" + QString(79, 'a'), "/" + QString(79, 'a')},
        {"/" + QString(300, 'a'), "/" + QString(300, 'a')}, // longer than the record's field
        {project + QString(81, 'b'), QString(81, 'b')},
        {project + deep, deep},
        {project + "Фильм/логотип.bmp", "Фильм/логотип.bmp"},
        {project + QString(70, 'e') + "/x.bmp", QString(70, 'e') + "/x.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen.toStdString());
        EXPECT_EQ(velmora::storableFileName(project, c.chosen), c.stored);
    }
    EXPECT_EQ(velmora::storableFileName("", "/a/b.bmp"), "/a/b.bmp");
    // And read back, a relative name lies in the project's folder.
    EXPECT_EQ(velmora::projectFile(project, "pictures/logo.bmp"), project + "pictures/logo.bmp");
    EXPECT_EQ(velmora::projectFile(project, "/abs.bmp"), "/abs.bmp");
    EXPECT_EQ(velmora::projectFile("", "rel.bmp"), "rel.bmp");
}

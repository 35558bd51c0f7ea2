#pragma once
// Project files as the tests of the project's motion write and read them.
#include <gtest/gtest.h>
#include <QStringList>

#include "model/page_file.h"
#include "test_support.h"

namespace testsupport {

// NAME.kvt in the folder, on an 800 x 600 stage with these keys after it, and its page 000
// with a title; the project file's path.
inline QString writeProject(const TempDir& dir, const QString& name, const QByteArray& keys) {
    velmora::PageImage page;
    page.lines[0].Text = "title";
    velmora::PageBuffer buf;
    buf.encode(page, "000");
    EXPECT_TRUE(velmora::writePageFile(dir.file(name.toUpper() + ".000"), buf));
    const QString file = dir.file(name + ".kvt");
    EXPECT_TRUE(writeFile(file, "[VelmoraProject]\nProjectName=" + name.toUtf8() +
                                    ".kvt\nStageWidth=800\nStageHeight=600\n" + keys));
    return file;
}

// The "Motion" lines of a file, in any case, as written.
inline QStringList motionLines(const QString& path) {
    QStringList lines;
    for (const QByteArray& l : readFile(path).split('\n'))
        if (l.toLower().startsWith("motion=")) lines << QString::fromUtf8(l);
    return lines;
}

} // namespace testsupport

#pragma once
#include <cstdint>
#include <QObject>
#include <QString>
#include <QUndoStack>

#include "model/page_file.h"
#include "model/page_record.h"

namespace velmora {

// The one owner of the page being edited: its three lines (texts, font styles, attributes,
// resting positions and paths), its settings, the record buffer of the last load or save and
// the changed mark. Windows read it and change it; the playback window reads it to play.
// Every edit command lands on its undo stack.
class PageDocument : public QObject {
    Q_OBJECT

public:
    explicit PageDocument(QObject* parent = nullptr);

    // Line n is 1..3.
    TitleLine& line(int n) { return page_.lines[n - 1].attrs; }
    const TitleLine& line(int n) const { return page_.lines[n - 1].attrs; }
    QString text(int n) const { return page_.lines[n - 1].Text; }
    void setText(int n, const QString& text) { page_.lines[n - 1].Text = text; }
    std::uint8_t fontStyle(int n) const { return page_.lines[n - 1].FontStyle; }
    void setFontStyle(int n, std::uint8_t style) { page_.lines[n - 1].FontStyle = style; }

    // The resting positions.
    std::int32_t titleX(int n) const { return page_.lines[n - 1].PosX; }
    std::int32_t titleY(int n) const { return page_.lines[n - 1].PosY; }
    void setTitlePos(int n, std::int32_t x, std::int32_t y);
    // Whether the align screen is up. There a line stands where its strip was put; once the
    // screen is left, a line whose in path has points rests at its end (restingPlace), and the
    // align screen's edits, undone or redone, put the line where leaving would.
    bool aligning() const { return aligning_; }
    void setAligning(bool on) { aligning_ = on; }

    Path& inPath(int n) { return page_.lines[n - 1].InPath; }
    Path& outPath(int n) { return page_.lines[n - 1].OutPath; }
    // Empties line n's in or out path: no points up to slot `keepFrom`, which with the slots
    // above stays as it is. Marks the page changed.
    void clearPath(int n, bool inPath, std::int32_t keepFrom = MaxPathPoints - 1);

    PageSettings& settings() { return page_.settings; }
    const PageSettings& settings() const { return page_.settings; }

    // The page as it stands, texts untrimmed, with the derived flags.
    const PageImage& page() const { return page_; }
    // The page as a save would store it: texts trimmed as reading trims them (trimBlanks).
    PageImage pageToStore() const;
    // The edited fields, and putting them back (undo and redo); putting back signals restored().
    EditedPage edited() const;
    void restore(const EditedPage& page);
    void restorePath(int n, bool inPath, const Path& path);
    // Takes every stored field of a page read from its file. The path arming is kept; a line is
    // in use when it has a text or a picture. The changed mark is left to the caller.
    void load(const PageImage& page);

    // The record as last read or written.
    PageBuffer& buffer() { return buffer_; }
    const PageBuffer& buffer() const { return buffer_; }
    // The page as last loaded or saved, read back from the record.
    PageImage lastStored() const;
    // Whether the page as it stands would be stored otherwise than as last loaded or saved.
    bool differsFromBuffer() const;
    // Whether the "Manual" state differs from the page as last loaded or saved.
    bool mpauseDiffersFromBuffer() const;
    // Whether any line's font style, shadow switch or direction codes (IN for lines 1 to 3,
    // then OUT) differ from the page as last loaded or saved.
    bool stylesDifferFromBuffer() const;
    bool shadowsDifferFromBuffer() const;
    bool directionsDifferFromBuffer() const;
    // Whether any of the six paths' counters (LastIndex) differs from the page as last loaded or
    // saved.
    bool pathsDifferFromBuffer() const;

    // The changed mark, and its one setter. The signal comes with every call, also when the
    // mark keeps its value, so whatever follows it is brought up to date each time.
    bool changed() const { return changed_; }
    const bool& changedRef() const { return changed_; }
    void setsav(bool flag);

    QUndoStack& undoStack() { return undo_; }
    // The page was loaded or replaced: its edits can no longer be undone.
    void forgetEdits() { undo_.clear(); }
    // The page was written to its file: the record buffer holds it now. Its edits can still be
    // undone; an undo or redo then marks the page by whether it differs from what was written.
    void stored() { ++storedCount_; }
    int storedCount() const { return storedCount_; }

signals:
    void changedChanged(bool changed);
    void loaded();
    // An undo or redo put fields back: whatever shows the page shows it again.
    void restored();

private:
    PageImage page_;
    PageBuffer buffer_;
    bool changed_ = false;
    bool aligning_ = false;
    int storedCount_ = 0;
    QUndoStack undo_;
};

} // namespace velmora

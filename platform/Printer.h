#pragma once
#include <memory>
#include <stdexcept>
#include <QString>

#include "platform/PrintSurface.h"

class QPainter;
class QPrinter;

namespace velmora::platform {

// A print job that could not start or finish; its text is for the user.
class PrintError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A print job on the printer chosen in the print setup (at first the system's default). On a
// machine without a printer the job goes to a new PDF file in the user's documents folder, and
// ending the job tells the user the file's path.
class Printer : public PrintSurface {
public:
    Printer();
    ~Printer() override;
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    // Starts the job under the title the print queue shows (and the PDF file is named after).
    // Throws PrintError when neither the printer nor a PDF file can take it.
    void begin(const QString& title);
    // Finishes the job; a job that went to a PDF file is reported to the user.
    void end();
    // The PDF file the job writes, empty when it goes to a printer.
    QString pdfFile() const { return pdfFile_; }

    int pageWidth() const override;
    int pageHeight() const override;
    void setFontName(const QString& face) override;
    void setFontSize(int points) override;
    int textHeight(const QString& text) const override;
    void textOut(int x, int y, const QString& text) override;
    int pageNumber() const override { return page_; }
    void newPage() override;

    // The printer the print setup dialog works on, kept for every later job.
    static QPrinter& chosen();
    // Whether the machine has a printer to print on.
    static bool havePrinter();
    // Tests: every job goes to a PDF file in this folder (empty: the normal rules again).
    static void setPdfFolder(const QString& folder);
    // A path in the folder for a file named after the title that does not exist yet.
    static QString freePdfPath(const QString& folder, const QString& title);

private:
    std::unique_ptr<QPrinter> pdf_;
    std::unique_ptr<QPainter> painter_;
    QString pdfFile_;
    int page_ = 0;
};

} // namespace velmora::platform

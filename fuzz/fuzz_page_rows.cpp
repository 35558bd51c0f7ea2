// The rows file reader: any bytes, read as File > "Import Pages..." reads a CSV file. Promises:
// a file is refused with a reason or read whole; a row read holds texts a title box takes and a
// pause in range; the records' fields, written back as CSV, read back as they were.
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "model/page_file.h"
#include "model/page_rows.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    const PageRows rows = readPageRows(bytes, [](const QString& name) { return name.size() < 8; });
    fuzzsupport::require(rows.error.isEmpty() || rows.rows.empty(), "a refused file gives no row");
    int lastRow = 0;
    for (const PageRow& r : rows.rows) {
        fuzzsupport::require(r.row > lastRow && r.row <= MaxRowsFileLines,
                             "rows in the file's order");
        lastRow = r.row;
        for (const QString& t : r.texts) {
            fuzzsupport::require(perceivedLength(t) <= pagelayout::TextChars,
                                 "a text a title box takes");
            fuzzsupport::require(trimBlanks(t) == t, "texts without surrounding blanks");
        }
        for (int n = 0; n < 3; ++n)
            fuzzsupport::require(r.texts[n].isEmpty() || !r.pictures[n] || r.pictures[n]->isEmpty(),
                                 "no line with both a text and a picture");
        if (r.pause)
            fuzzsupport::require(*r.pause >= 0 && *r.pause <= MaxPauseTime, "a pause in range");
    }

    const CsvTable table = parseCsv(bytes);
    if (!table.error.isEmpty()) return 0;
    std::vector<QStringList> fields;
    for (const CsvRecord& r : table.records)
        fields.push_back(r.fields);
    const QByteArray written = csvText(fields);
    if (written.size() > MaxRowsFileSize) return 0; // quoting can make a file at the limit larger
    const CsvTable back = parseCsv(written);
    fuzzsupport::require(back.error.isEmpty(), "what was written reads");
    fuzzsupport::require(back.records.size() == table.records.size(), "as many records");
    for (std::size_t i = 0; i < back.records.size(); ++i)
        fuzzsupport::require(back.records[i].fields == table.records[i].fields,
                             "each record's fields read back as written");
    return 0;
}

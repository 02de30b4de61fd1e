// Question banks in Moodle XML, the platform's own full export format:
// reading one into stored questions, and writing stored questions out in it.
//
//     ImportMoodleXml(bytes)   Moodle XML -> stored questions, what was skipped,
//                              or the one reason the file cannot be read at all
//     ExportMoodleXml(bank)    stored questions -> Moodle XML
//
// A question is taken when the platform's own importer reads it as four
// answers with one right: type "multichoice", one answer to choose
// (<single> missing, or anything but "false", "0" or empty), exactly four
// <answer> elements, one with fraction 100 and the others 0 or negative
// (a penalty, dropped with a note). Texts are read as the platform reads
// them: the first <text> of an element, trimmed, in the format its "format"
// attribute names (questiontext defaults to html; answers and general
// feedback take the question text's format). HTML becomes the plain text a
// reader sees (bank/HtmlText.h), one question line for each line; the other
// formats are cut at their line breaks. The general feedback is the
// reference. Feedback on answers, pictures, hints and shuffled answers are
// noted as dropped; categories pass silently; every other question is
// skipped with a reason naming its type, on the line of its <question>.
//
// The file is parsed by libxml2 as a stream, one question held at a time:
// no network, no external DTD, no entity but the five predefined ones (a
// declaration of one, or a reference to any other, refuses the file),
// nesting at most kMaxXmlDepth deep, UTF-8 only.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "bank/Interchange.h"

namespace qd {

// The largest Moodle XML source read: three times a full data file (a
// code-page character takes up to three bytes in UTF-8) and 8 KiB of markup
// for each of its 32,767 questions, 448 MiB in all.
inline constexpr std::size_t kMaxXmlSourceBytes = std::size_t {3} * 64 * 1024 * 1024 + std::size_t {32767} * 8 * 1024;

// The most <question> elements a source may hold: four full data files.
inline constexpr std::size_t kMaxXmlQuestions = std::size_t {4} * 32767;

// The deepest nesting of elements read; Moodle XML needs six.
inline constexpr int kMaxXmlDepth = 64;

// The longest text of a question taken; a longer one skips its question.
inline constexpr std::size_t kMaxXmlTextBytes = std::size_t {16} * 1024 * 1024;

// Why a file cannot be read at all: not well-formed, not UTF-8, or unsafe.
struct XmlFault {
    int line = 0;
    int column = 0;
    std::string message;
};

struct XmlImport {
    ImportResult result;  // empty when there is a fault
    std::optional<XmlFault> fault;
};

XmlImport ImportMoodleXml(std::string_view bytes);

// The import as the other formats give it: a fault is the one error, on its
// line, and nothing is imported.
ImportResult ImportXmlQuestions(std::string_view bytes);

// Each question as a "multichoice" question named "Qn" (n its number in the
// bank), its lines joined by line breaks in a plain_text question text, the
// four answers with fraction 100 for the right one and 0 for the others,
// the reference as general feedback (kNoReferenceText left out), <single>
// true and <shuffleanswers> 0. A text with a character markup gives meaning
// to is written in CDATA, "]]>" split over two sections.
ExportResult ExportMoodleXml(const StoredBank& bank);
ExportResult ExportMoodleXml(StoredQuestions& questions, TextOut& out);

}  // namespace qd

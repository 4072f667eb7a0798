// SQL Server functions registered on every SQLite connection, for the
// statements the dialect adapter hands over:
//  - TV_CONVERT('type', x[, style]): CONVERT. Text types give text (a date
//    held as ISO text formatted by the style: 103 dd/mm/yyyy, 108 hh:mm:ss,
//    112 yyyymmdd and the other common ones; no style: the text as it is),
//    INT/SMALLINT/TINYINT/BIGINT/BIT whole numbers, NUMERIC/DECIMAL/MONEY/
//    FLOAT numbers, DATETIME/DATE ISO text (a day-first text read day-first).
//    A value that does not convert fails, as on the server.
//  - TV_DATELIT(column, 'iso', 'literal'): the ISO form of a day-first date
//    literal when the column's value is ISO date text (cut to the value's
//    own length), otherwise the literal unchanged.
//  - LEN(x): characters, trailing blanks not counted.
//  - CHARINDEX(find, text[, start]): 1-based position without regard to case, 0 when absent.
//  - GETDATE(): the present date and time (vb::Now) as ISO text.
//  - LIKE (the function like(pattern, x[, escape]) behind the operator):
//    SQLite's wildcards and ESCAPE, with every letter compared by its case
//    folding ("PEÑA" LIKE "Peña", "ÁLVAREZ" LIKE "álvarez"), as the server's
//    case-insensitive collations compare; accents still count.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct sqlite3;

namespace adodb::sqlite {

void RegisterFunctions(sqlite3* db);

// Date and time of an ISO text "YYYY-MM-DD[ HH:MM[:SS[.fff]]]" (also with "T"),
// the fraction of a second cut; nullopt for a date that does not exist.
struct IsoDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
std::optional<IsoDateTime> ParseIsoDateTime(std::string_view text);

}  // namespace adodb::sqlite

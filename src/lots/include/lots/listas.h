// Reading the lists of lots, serials and positions ("|t1|t2|"), shared by the
// list methods of ClsCmnCptes, the two lot dialogs and the stock posting.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lots {

// The tokens of a list as every reader scans it: the list is trimmed, one
// leading "|" is dropped, and each text before a "|" is a token; the scan
// ends when no "|" follows or the rest is blank. A trailing piece without a
// "|" after it is no token. Tokens are returned untrimmed.
std::vector<std::string> TokensDeLista(std::string_view lista);

// A pick token split at its first character 255: the lot before it, the
// serial after it. A token without character 255 is all lot.
struct LoteSerie {
    std::string Lote;
    std::string Serie;
};
LoteSerie PartesDeToken(std::string_view token);

}  // namespace lots

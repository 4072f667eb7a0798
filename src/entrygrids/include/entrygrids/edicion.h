// What ClsCmnCptes::TextPropiedades leaves on an in-cell edit box: the field
// under edit and its lookup source, kept as the box's dynamic properties
// "DataField" and "Tag", and the longest text that may be typed (the box's
// maxLength; 0 here means no limit).
#pragma once

#include <string>

class QLineEdit;

namespace entrygrids {

inline constexpr const char* kPropDataField = "DataField";
inline constexpr const char* kPropTag = "Tag";
// QLineEdit's own "no limit" (its default maxLength).
inline constexpr int kSinLimite = 32767;

std::string DataField(const QLineEdit& caja);
std::string Tag(const QLineEdit& caja);
// 0 when the box has no limit of its own.
int MaxLength(const QLineEdit& caja);

}  // namespace entrygrids

// Pieces shared by the lookup library's sources: text for Qt and the two
// error routines the dialogs and queries report through.
#pragma once

#include <QString>

#include <optional>
#include <string>

#include "foundation/db_dll.h"
#include "helpers/helpers.h"
#include "vb/steps.h"

namespace lookup::detail {

inline QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }


using foundation::Tratamiento;

// The error convention with the helper library's ManejaError under a routine name.
inline vb::ErrorHandler ManejaErrorEn(std::string rutina) {
    return [rutina = std::move(rutina)](const vb::Error& error) {
        return helpers::gFunciones().ManejaError(error, std::nullopt, rutina);
    };
}

}  // namespace lookup::detail

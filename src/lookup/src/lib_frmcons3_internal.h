// Pieces shared by the list lookup dialog's sources.
#pragma once

#include <QString>

#include <string>

#include "lookup_internal.h"

namespace lookup::detail {

// Error numbers the dialog raises or recognises.
inline constexpr long kErrObjetoNoAsignado = 91;     // no selected row
inline constexpr long kErrValorNoValido = 380;       // a column the list lacks
inline constexpr long kErrElementoNoEncontrado = 3265;  // a field the query lacks

// Key codes (as the keyboard reports them to forms).
inline constexpr int kTeclaRetroceso = 8;
inline constexpr int kTeclaEnter = 13;
inline constexpr int kTeclaEspacio = 32;
inline constexpr int kTeclaRePag = 33;
inline constexpr int kTeclaAvPag = 34;
inline constexpr int kTeclaArriba = 38;
inline constexpr int kTeclaAbajo = 40;
inline constexpr int kTeclaInsert = 45;
inline constexpr int kTeclaSupr = 46;
inline constexpr int kTeclaF5 = 116;
inline constexpr int kTeclaF12 = 123;
inline constexpr int kShiftMayusculas = 1;

// Twips to pixels and back.
inline constexpr long kTwipsPorPixel = 15;
inline int APixeles(double twips) { return static_cast<int>(twips / kTwipsPorPixel + (twips < 0 ? -0.5 : 0.5)); }
inline long ATwips(int pixeles) { return static_cast<long>(pixeles) * kTwipsPorPixel; }

inline std::string Texto(const QString& s) { return s.toStdString(); }

}  // namespace lookup::detail

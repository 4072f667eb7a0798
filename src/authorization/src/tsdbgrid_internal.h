// Pieces shared by the TsDbGrid sources.
#pragma once

#include <QAbstractListModel>
#include <QString>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>

#include "authorization/tsdbgrid.h"
#include "helpers/helpers.h"
#include "ui/flexgrid.h"
#include "vb/error.h"

namespace authorization {

// The control library's error for a menu entry that does not exist.
inline constexpr long kErrIndiceFueraDeRango = 35600;
// Setting a list index outside the list.
inline constexpr long kErrValorNoValido = 380;

// Twips to the nearest pixel, and pixels to twips.
inline int Px(long twips) { return static_cast<int>(std::lround(static_cast<double>(twips) / ui::kTwipsPerPixel)); }
inline long Tw(int pixels) { return static_cast<long>(pixels) * ui::kTwipsPerPixel; }

// A text of `n` wide letters, to measure a column by.
inline std::string Equis(std::size_t n) { return std::string(n, 'X'); }

inline QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string Texto(const QString& s) { return s.toStdString(); }

// The control reports its failures through the helper library's error routine,
// without buttons and without a routine name.
inline int ReportarError(const vb::Error& error) { return helpers::gFunciones().ManejaError(error); }

using helpers::AlUsuario;

// The page label's caption: eight blanks before and after the word.
inline std::string TextoPaginas(std::int64_t actual, std::int64_t ultima) {
    return "        Página        " + std::to_string(actual) + " de " + std::to_string(ultima);
}

// The page selector's entries "1".."n", made on demand: no entry is built or
// stored, so a count of a million pages costs nothing.
class TsDbGrid::PageList : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : count_; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
        return QString::number(index.row() + 1);
    }
    void SetCount(std::int64_t count) {
        beginResetModel();
        count_ = static_cast<int>(std::clamp<std::int64_t>(count, 0, INT_MAX));
        endResetModel();
    }
    int Count() const { return count_; }

private:
    int count_ = 0;
};

// Marks a load in progress for its scope.
class TsDbGrid::Ocupado {
public:
    explicit Ocupado(TsDbGrid& grid) : grid_(grid) { ++grid_.cargando_; }
    ~Ocupado() { --grid_.cargando_; }
    Ocupado(const Ocupado&) = delete;
    Ocupado& operator=(const Ocupado&) = delete;

private:
    TsDbGrid& grid_;
};

}  // namespace authorization

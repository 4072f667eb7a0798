// Pieces shared by the source files of DB_Dll.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "db/adodb.h"
#include "vb/error.h"
#include "vb/variant.h"

namespace foundation::detail {

// The statement without its "@Admin_" markers (any letter case), which make
// it read a table instead of the table's synonym. Text inside string literals
// is left as it is.
std::string QuitaMarcas(const std::string& sql);

// The statement with `cambio` applied to each stretch outside its string
// literals ('...', doubled apostrophes inside), so that no value is rewritten.
// An apostrophe that no other closes opens a literal to the end of the text:
// the engine reports the statement as it stands.
std::string FueraDeLiterales(const std::string& sql, const std::function<std::string(const std::string&)>& cambio);

// The number a field value stands for: a number as it is, a text read from
// its leading number ("." as the decimal point), Null or Empty 0.
double NumeroDeValor(const vb::Variant& value);

// Runs an aggregate query on the connection (no synonyms, no rewriting) and
// reads its one column `campo`: a Double, or Empty when no row came back.
vb::Variant LeeAgregado(adodb::Connection& cnn, const std::string& sql, const std::string& campo);

// Appends the error-log line for an error the caller has already shown (or
// chose not to show), with the answer the operator gave (0 when none).
void AnotaError(const std::string& gLogErr, const vb::Error& error,
                const std::optional<std::string>& rutina, int answer);
// The same line for a message of the caller's own.
void AnotaMensaje(const std::string& gLogErr, const std::optional<std::string>& rutina,
                  const std::string& mensaje, int answer);

}  // namespace foundation::detail

#include "schema_db.h"

#include "support.h"

namespace testsupport {

void OpenSchemaDatabase(adodb::Connection& cn, std::vector<std::string>* log) {
    cn.SetStatementLogger(nullptr);
    cn.Close();
    cn.Open("Provider=SQLOLEDB;Data Source=:memory:");
    cn.Execute(ReadFile(SourceDir() / "db" / "schema.sql"));
    if (log) cn.SetStatementLogger([log](const std::string& sql) { log->push_back(sql); });
}

void CloseSchemaDatabase(adodb::Connection& cn) {
    cn.SetStatementLogger(nullptr);
    cn.Close();
}

}  // namespace testsupport

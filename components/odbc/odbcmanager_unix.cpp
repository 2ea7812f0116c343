#include "components/odbc/odbcmanager.h"

#include <QFile>

#include <dlfcn.h>
#include <sql.h>

QString OdbcDriverManagerFile() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&SQLAllocHandle), &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    return QFile::decodeName(info.dli_fname);
}

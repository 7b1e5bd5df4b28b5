// A language file's bytes: decoded by their byte-order mark or code page,
// then read whole and as far as its parameters. ELangError is a clean
// outcome.
#include <QByteArray>
#include <QString>
#include <cstdint>

#include "core/recorder/ProcessState.h"
#include "localizer/LangError.h"
#include "localizer/LangFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ResetProcessState();
    const QString text =
        DecodeLangFileText(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    for (const bool paramsOnly : {true, false}) {
        try {
            ReadLangText(text, paramsOnly);
        } catch (const ELangError&) {
        }
    }
    return 0;
}

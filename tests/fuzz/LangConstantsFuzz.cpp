// A LANG_CONSTS stream after a u16 language ID (which picks the code page
// of the 8-bit values of old stream versions). ELangError is a clean
// outcome.
#include <QByteArray>
#include <cstdint>

#include "core/recorder/ProcessState.h"
#include "localizer/LangConstants.h"
#include "localizer/LangError.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ResetProcessState();
    FuzzInput input(data, size);
    const quint16 langId = input.U16();
    const auto stream = input.Rest();
    TLangConstants constants([langId] { return langId; });
    try {
        constants.LoadFromStream(
            QByteArray(reinterpret_cast<const char*>(stream.data()), static_cast<qsizetype>(stream.size())));
        for (int i = 0; i < constants.Count(); ++i)
            constants.Find(constants.At(i).Name);
    } catch (const ELangError&) {
    }
    return 0;
}

#include "tests/support/InProcessQ71Library.h"

#include "massstorage/Mailbox.h"

TQ71Library InProcessQ71Library()
{
    TQ71Library library{};
    library.IsConnected = [] { return static_cast<unsigned char>(q71::IsConnected()); };
    library.GetFlashParams = [](void* params) { q71::GetFlashParams(params); };
    library.WritePages = [](std::uint32_t first, const void* data, std::uint16_t count) {
        return static_cast<unsigned char>(q71::WritePages(first, data, count));
    };
    library.ReadPartsOfPages = [](std::uint32_t first, std::uint16_t count, std::uint16_t offset,
                                  std::uint16_t partSize, std::uint16_t step, void* out) {
        return static_cast<unsigned char>(q71::ReadPartsOfPages(first, count, offset, partSize, step, out));
    };
    library.BlockErase = [](std::uint32_t page) { return static_cast<unsigned char>(q71::BlockErase(page)); };
    library.SendI2C = [](const void* bytes, std::uint8_t length) {
        return static_cast<unsigned char>(q71::SendI2C(bytes, length));
    };
    library.ReceiveI2C = [](void* buffer, std::uint8_t length) {
        return static_cast<unsigned char>(q71::ReceiveI2C(buffer, length));
    };
    return library;
}

TQ71Library InProcessQ71LibraryFailingReceives()
{
    TQ71Library library = InProcessQ71Library();
    library.ReceiveI2C = [](void* buffer, std::uint8_t length) -> unsigned char {
        q71::ReceiveI2C(buffer, length);
        return 0;
    };
    return library;
}

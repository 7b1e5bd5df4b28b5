#include <gtest/gtest.h>

#include <dlfcn.h>

#include <array>
#include <cstdlib>

// The shared library as the program loads it: the eight exports and
// nothing else of its code.
class Q71ExportsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        handle = ::dlopen(Q71_API_FILE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << ::dlerror();
    }
    void TearDown() override
    {
        if (handle)
            ::dlclose(handle);
    }

    template <typename F> F Symbol(const char* name) { return reinterpret_cast<F>(::dlsym(handle, name)); }

    void* handle = nullptr;
};

TEST_F(Q71ExportsTest, ExportsThePlainNamesOnly)
{
    for (const char* name : {"Q71_IsConnected", "Q71_GetFlashParams", "Q71_ReadPages", "Q71_WritePages",
                             "Q71_ReadPartsOfPages", "Q71_BlockErase", "Q71_SendI2C", "Q71_ReceiveI2C"})
        EXPECT_NE(::dlsym(handle, name), nullptr) << name;
    for (const char* name : {"_ZN3q7111IsConnectedEv", "_ZN3q7112MailboxStateEv",
                             "_ZN3q7116TMailboxExchange11SendCommandERK11DrcbCommand", "_Z12HasDrcbMagicPKhm"})
        EXPECT_EQ(::dlsym(handle, name), nullptr) << name;
}

TEST_F(Q71ExportsTest, BeforeAConnectNothingWorksAndTheParametersAreZero)
{
    auto getParams = Symbol<void (*)(void*)>("Q71_GetFlashParams");
    auto readPages = Symbol<unsigned char (*)(std::uint32_t, void*, std::uint16_t)>("Q71_ReadPages");
    auto readParts =
        Symbol<unsigned char (*)(std::uint32_t, std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t, void*)>(
            "Q71_ReadPartsOfPages");
    ASSERT_TRUE(getParams && readPages && readParts);
    std::array<std::uint8_t, 12> params;
    params.fill(0xEE);
    getParams(params.data());
    EXPECT_EQ(params, (std::array<std::uint8_t, 12>{}));
    std::uint8_t buffer[64] = {};
    EXPECT_EQ(readPages(0, buffer, 1), 0);
    EXPECT_EQ(readParts(0, 3, 0, 20, 1, buffer), 0);
}

#pragma once

#include <cstdint>

// Our own declarations of the FTDI D2XX library as its Linux build defines
// them: DWORD, ULONG and FT_STATUS are 32 bits wide there (not the 64-bit
// unsigned long of an LP64 system), FT_HANDLE is a pointer.
namespace d2xx {

using DWORD = std::uint32_t;
using ULONG = std::uint32_t;
using USHORT = std::uint16_t;
using UCHAR = std::uint8_t;
using LPVOID = void*;
using FT_HANDLE = void*;
using FT_STATUS = ULONG;

constexpr FT_STATUS FT_OK = 0;

constexpr DWORD FT_LIST_NUMBER_ONLY = 0x80000000u;
constexpr UCHAR FT_BITS_8 = 8;
constexpr UCHAR FT_STOP_BITS_1 = 0;
constexpr UCHAR FT_PARITY_NONE = 0;
constexpr USHORT FT_FLOW_NONE = 0x0000;
constexpr ULONG FT_PURGE_RX = 1;
constexpr ULONG FT_PURGE_TX = 2;

// The entry points, looked up by these names.
using FT_Open_t = FT_STATUS (*)(int deviceNumber, FT_HANDLE* handle);
using FT_OpenEx_t = FT_STATUS (*)(LPVOID arg1, DWORD flags, FT_HANDLE* handle);
using FT_ListDevices_t = FT_STATUS (*)(LPVOID arg1, LPVOID arg2, DWORD flags);
using FT_Close_t = FT_STATUS (*)(FT_HANDLE handle);
using FT_Read_t = FT_STATUS (*)(FT_HANDLE handle, LPVOID buffer, DWORD bytesToRead, DWORD* bytesReturned);
using FT_Write_t = FT_STATUS (*)(FT_HANDLE handle, LPVOID buffer, DWORD bytesToWrite, DWORD* bytesWritten);
using FT_IoCtl_t = FT_STATUS (*)(FT_HANDLE handle, DWORD ioControlCode, LPVOID inBuf, DWORD inBufSize, LPVOID outBuf,
                                 DWORD outBufSize, DWORD* bytesReturned, LPVOID overlapped);
using FT_SetBaudRate_t = FT_STATUS (*)(FT_HANDLE handle, ULONG baudRate);
using FT_SetDivisor_t = FT_STATUS (*)(FT_HANDLE handle, USHORT divisor);
using FT_SetDataCharacteristics_t = FT_STATUS (*)(FT_HANDLE handle, UCHAR wordLength, UCHAR stopBits, UCHAR parity);
using FT_SetFlowControl_t = FT_STATUS (*)(FT_HANDLE handle, USHORT flowControl, UCHAR xonChar, UCHAR xoffChar);
using FT_Handle_t = FT_STATUS (*)(FT_HANDLE handle); // reset, DTR, RTS, break
using FT_GetModemStatus_t = FT_STATUS (*)(FT_HANDLE handle, ULONG* modemStatus);
using FT_SetChars_t = FT_STATUS (*)(FT_HANDLE handle, UCHAR eventChar, UCHAR eventCharEnabled, UCHAR errorChar,
                                    UCHAR errorCharEnabled);
using FT_Purge_t = FT_STATUS (*)(FT_HANDLE handle, ULONG mask);
using FT_SetTimeouts_t = FT_STATUS (*)(FT_HANDLE handle, ULONG readTimeout, ULONG writeTimeout);
using FT_GetQueueStatus_t = FT_STATUS (*)(FT_HANDLE handle, DWORD* rxBytes);
using FT_SetEventNotification_t = FT_STATUS (*)(FT_HANDLE handle, DWORD mask, LPVOID param);
using FT_GetStatus_t = FT_STATUS (*)(FT_HANDLE handle, DWORD* rxBytes, DWORD* txBytes, DWORD* eventDWord);
using FT_SetWaitMask_t = FT_STATUS (*)(FT_HANDLE handle, DWORD mask);
using FT_WaitOnMask_t = FT_STATUS (*)(FT_HANDLE handle, DWORD* mask);
using FT_GetEventStatus_t = FT_STATUS (*)(FT_HANDLE handle, DWORD* eventDWord);
using FT_SetUSBParameters_t = FT_STATUS (*)(FT_HANDLE handle, ULONG inTransferSize, ULONG outTransferSize);

// The function table, filled from the library. The link calls only the
// required entry points; the others are taken when the library has them
// and stay null otherwise.
struct TD2xxFunctions {
    // Required.
    FT_Open_t Open = nullptr;
    FT_ListDevices_t ListDevices = nullptr;
    FT_Close_t Close = nullptr;
    FT_Read_t Read = nullptr;
    FT_Write_t Write = nullptr;
    FT_SetBaudRate_t SetBaudRate = nullptr;
    FT_SetDataCharacteristics_t SetDataCharacteristics = nullptr;
    FT_SetFlowControl_t SetFlowControl = nullptr;
    FT_Handle_t ResetDevice = nullptr;
    FT_Handle_t SetDtr = nullptr;
    FT_Handle_t SetRts = nullptr;
    FT_SetChars_t SetChars = nullptr;
    FT_Purge_t Purge = nullptr;
    FT_SetTimeouts_t SetTimeouts = nullptr;
    FT_SetEventNotification_t SetEventNotification = nullptr;
    FT_SetUSBParameters_t SetUSBParameters = nullptr;
    // Optional.
    FT_OpenEx_t OpenEx = nullptr;
    FT_IoCtl_t IoCtl = nullptr;
    FT_SetDivisor_t SetDivisor = nullptr;
    FT_Handle_t ClrDtr = nullptr;
    FT_Handle_t ClrRts = nullptr;
    FT_GetModemStatus_t GetModemStatus = nullptr;
    FT_GetQueueStatus_t GetQueueStatus = nullptr;
    FT_GetStatus_t GetStatus = nullptr;
    FT_Handle_t SetBreakOn = nullptr;
    FT_Handle_t SetBreakOff = nullptr;
    FT_SetWaitMask_t SetWaitMask = nullptr;
    FT_WaitOnMask_t WaitOnMask = nullptr;
    FT_GetEventStatus_t GetEventStatus = nullptr;
};

} // namespace d2xx

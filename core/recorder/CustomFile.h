#pragma once

#include <cstdint>

// A file a job reads from or writes into, as the transfer workers hand it
// to the recorder object (the download's sink). Both answer the bytes moved;
// a Write that answers 0 has failed and stops the job.
class TCustomFile {
public:
    TCustomFile() = default;
    TCustomFile(const TCustomFile&) = delete;
    TCustomFile& operator=(const TCustomFile&) = delete;
    virtual ~TCustomFile() = default;

    virtual std::int32_t Read(void* buffer, std::int32_t length) = 0;
    virtual std::int32_t Write(const void* buffer, std::int32_t length) = 0;
};

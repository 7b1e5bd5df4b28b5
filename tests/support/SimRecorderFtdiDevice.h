#pragma once

#include "tests/support/FakeFtd2xx.h"
#include "tests/support/SimRecorder.h"

// Puts a SimRecorder behind the fake D2XX library: cuts the host's byte
// stream into request frames and answers each with the recorder's reply
// frame (none when the recorder stays silent).
class SimRecorderFtdiDevice : public FakeFtdiDevice {
public:
    explicit SimRecorderFtdiDevice(SimRecorder& recorder) : m_recorder(recorder) {}

    std::size_t Consume(const std::uint8_t* data, std::size_t length, std::vector<std::uint8_t>& reply) override;

private:
    SimRecorder& m_recorder;
};

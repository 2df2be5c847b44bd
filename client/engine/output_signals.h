#pragma once
#include <obs.hpp>

#include <cstdint>
#include <memory>

#include "stream_state.h"

namespace zv {

// The output's signal connections of one start. The callbacks run on libobs's
// threads; they only queue the event for the UI thread, tagged with the start
// they belong to, so that reports of a replaced output are dropped there.
struct OutputSignals {
    static void Queue(const OutputSignals* signals, OutputSignal signal, int value);

    std::weak_ptr<char> alive;
    uint64_t session = 0;
    OBSSignal start;
    OBSSignal stop;
    OBSSignal reconnect;
    OBSSignal reconnectSuccess;
};

}  // namespace zv

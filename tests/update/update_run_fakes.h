#pragma once

#include "update/update_run.h"

#include <functional>
#include <string>
#include <vector>

namespace tarnel::test {

// Records what a run reports, in order.
class RecordingRunSink : public update::UpdateRunSink {
public:
    void progress(int percent) override { positions.push_back(percent); }
    void movesStarted() override { events.push_back("moves"); }
    std::vector<int> positions;
    std::vector<std::string> events;
};

// A main program that listens or not and answers as told; onAsk runs as it is asked to exit.
class FakeMainProgram : public update::MainProgramChannel {
public:
    bool listening() override { return isListening; }
    Answer askToExit() override {
        ++asks;
        if (onAsk) {
            onAsk();
        }
        return answer;
    }
    bool isListening = false;
    Answer answer = Answer::None;
    std::function<void()> onAsk;
    int asks = 0;
};

} // namespace tarnel::test

#pragma once

#include "lustra/list_box_notify_event.h"

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

namespace tarnel::test {

// A notify window that records every list request as "message row" and answers as told.
class ListBoxRecorder : public QWidget {
public:
    using QWidget::QWidget;

    std::vector<std::string> requests;
    bool answer = false;
    std::function<void(const LUSTRA::CListBoxNotifyEvent&)> onRequest;

protected:
    bool event(QEvent* event) override {
        if (event->type() != LUSTRA::CListBoxNotifyEvent::eventType()) {
            return QWidget::event(event);
        }
        const auto* request = static_cast<LUSTRA::CListBoxNotifyEvent*>(event);
        requests.push_back(std::to_string(request->message()) + " " +
                           std::to_string(request->row()));
        if (onRequest) {
            onRequest(*request);
        }
        return answer;
    }
};

} // namespace tarnel::test

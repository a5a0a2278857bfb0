#pragma once

#include "ops/operation_result.h"

#include <QString>
#include <string_view>

class QDialog;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QWidget;

// The fields and buttons the editing dialogs of categories, tags and points share.
namespace tarnel::ui {

// Stars 0 to 5; suffix follows the number ("星级" in the tag dialogs).
QSpinBox* starBox(QWidget* owner, const char* objectName, long long value,
                  const QString& suffix = {});

QPlainTextEdit* memoBox(QWidget* owner, const char* objectName, std::string_view value);

QLineEdit* readOnlyField(QWidget* owner, const char* objectName, const QString& value);

// OK and Cancel, named "okButton" and "cancelButton", wired to accept and reject.
QDialogButtonBox* okCancel(QDialog* dialog);

// A caption whose text, without its colon, also names the field for screen readers.
QLabel* buddyLabel(const QString& caption, QWidget* field, QWidget* owner);

// True on success. A refusal keeps the dialog open and puts the focus on the field the user must
// correct: the name box for a refused name, the place chooser for a refused parent or target.
bool settle(QDialog& dialog, const ops::OperationResult& result, QWidget* name, QWidget* place);

} // namespace tarnel::ui

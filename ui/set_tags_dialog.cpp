#include "ui/set_tags_dialog.h"

#include "ops/point_tags.h"
#include "ui/category_commands.h"
#include "ui/tag_chooser.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tarnel::ui {

CSetTagsDialog::CSetTagsDialog(ops::OperationContext& context, ChangeDispatcher& dispatcher,
                               std::vector<ops::TagPoint> points, QWidget* owner)
    : QDialog(owner), m_context(context), m_dispatcher(dispatcher), m_points(std::move(points)) {
    setObjectName("setTagsDialog");
    bool one = m_points.size() == 1;
    setWindowTitle(one ? "设置知识点标签" : "设置标签");
    std::vector<long long> current;
    if (one && m_points.front().point) {
        current = ops::tagsOf(context.base.tags(), *m_points.front().point);
    }
    auto* form = new QFormLayout;
    if (one && m_points.front().point) {
        std::string_view name = m_points.front().point->name();
        auto* pointName =
            new QLabel(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())), this);
        pointName->setObjectName("setTagsPoint");
        pointName->setAccessibleName("知识点");
        form->addRow(new QLabel("知识点:", this), pointName);
    } else {
        auto* count = new QLabel(QStringLiteral("%1 个知识点").arg(m_points.size()), this);
        count->setObjectName("setTagsPoint");
        count->setAccessibleName("知识点");
        form->addRow(new QLabel("知识点:", this), count);
    }
    int choosers = std::max(kMinimumChoosers, static_cast<int>(current.size()) + 1);
    for (int i = 0; i < choosers; ++i) {
        auto* chooser = new TagChooser(context.base.tags(), this);
        chooser->setObjectName(QStringLiteral("setTagsChooser%1").arg(i + 1));
        QString caption = QStringLiteral("所属标签%1:").arg(i + 1);
        auto* label = new QLabel(caption, this);
        label->setBuddy(chooser);
        chooser->setAccessibleName(caption.chopped(1));
        if (static_cast<std::size_t>(i) < current.size()) {
            chooser->select(current[static_cast<std::size_t>(i)]);
        }
        form->addRow(label, chooser);
        m_choosers.push_back(chooser);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("dialogButtons");
    buttons->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    m_choosers.front()->setFocus();
}

std::vector<long long> CSetTagsDialog::chosenTags() const {
    std::vector<long long> tags;
    for (const TagChooser* chooser : m_choosers) {
        long long id = chooser->chosen();
        if (id != 0 && std::find(tags.begin(), tags.end(), id) == tags.end()) {
            tags.push_back(id);
        }
    }
    return tags;
}

void CSetTagsDialog::accept() {
    ops::OperationResult result;
    {
        ChangeDispatcher::Guard guard(m_dispatcher);
        result = ops::setTagsOfPoints(m_context, m_points, chosenTags());
    }
    if (result.ok()) {
        QDialog::accept();
        return;
    }
    if (std::optional<std::string> text = CategoryCommands::silentCodeMessage(result.code)) {
        m_context.prompt.show(*text, app::MessageIcon::Error);
    }
}

} // namespace tarnel::ui

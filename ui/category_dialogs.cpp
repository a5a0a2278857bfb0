#include "ui/category_dialogs.h"

#include "store/attribute_tables.h"
#include "ui/category_chooser.h"
#include "ui/dialog_parts.h"
#include "ui/record_colors.h"
#include "ui/utf8_text.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidgetAction>
#include <array>

namespace tarnel::ui {

namespace category = store::category;

CategoryAddDialog::CategoryAddDialog(const QString& title, store::CategoryStore& categories,
                                     store::CategoryRecord* parent, Submit submit, QWidget* owner)
    : QDialog(owner), m_submit(std::move(submit)), m_name(new QLineEdit(this)),
      m_parent(new CategoryChooser(categories, this)), m_stars(starBox(this, "categoryStars", 0)),
      m_memo(memoBox(this, "categoryMemo", {})) {
    setObjectName("categoryAddDialog");
    setWindowTitle(title);
    m_name->setObjectName("categoryName");
    m_parent->setObjectName("categoryParent");
    m_parent->select(parent);
    auto* form = new QFormLayout;
    form->addRow(buddyLabel("分类名称:", m_name, this), m_name);
    form->addRow(buddyLabel("父分类:", m_parent, this), m_parent);
    form->addRow(buddyLabel("星级:", m_stars, this), m_stars);
    form->addRow(buddyLabel("备注:", m_memo, this), m_memo);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
    m_name->setFocus();
}

void CategoryAddDialog::accept() {
    ops::CategoryInput input{m_name->text().toStdString(), m_stars->value(),
                             m_memo->toPlainText().toStdString()};
    if (settle(*this, m_submit(m_parent->chosen(), input), m_name, m_parent)) {
        QDialog::accept();
    }
}

CategoryPropertiesDialog::CategoryPropertiesDialog(const store::CategoryRecord& record,
                                                   Submit submit, QWidget* owner)
    : QDialog(owner), m_submit(std::move(submit)),
      m_name(new QLineEdit(qtText(record.name()), this)),
      m_stars(starBox(this, "categoryStars", record.values.integer(category::kStarNum))),
      m_memo(memoBox(this, "categoryMemo", record.values.value(category::kMemo))) {
    setObjectName("categoryPropertiesDialog");
    setWindowTitle("属性");
    m_name->setObjectName("categoryName");
    QLineEdit* created = readOnlyField(this, "categoryCreateDate",
                                       qtText(record.values.value(category::kCreateDate)));
    QLineEdit* modified = readOnlyField(this, "categoryModifyDate",
                                        qtText(record.values.value(category::kModifyDate)));
    QLineEdit* points = readOnlyField(this, "categoryPointNum",
                                      QString::number(record.values.integer(category::kPointNum)));
    auto* form = new QFormLayout;
    form->addRow(buddyLabel("分类名称:", m_name, this), m_name);
    form->addRow(buddyLabel("创建日期:", created, this), created);
    form->addRow(buddyLabel("修改日期:", modified, this), modified);
    form->addRow(buddyLabel("知识点数:", points, this), points);
    form->addRow(buddyLabel("星级:", m_stars, this), m_stars);
    form->addRow(buddyLabel("备注:", m_memo, this), m_memo);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
}

void CategoryPropertiesDialog::accept() {
    ops::CategoryProperties properties{m_name->text().toStdString(), m_stars->value(),
                                       m_memo->toPlainText().toStdString()};
    if (settle(*this, m_submit(properties), m_name, nullptr)) {
        QDialog::accept();
    }
}

CategoryMoveDialog::CategoryMoveDialog(store::CategoryStore& categories,
                                       const store::CategoryRecord& record, Submit submit,
                                       QWidget* owner)
    : QDialog(owner), m_submit(std::move(submit)), m_target(new CategoryChooser(categories, this)) {
    setObjectName("categoryMoveDialog");
    setWindowTitle("移动分类");
    m_target->setObjectName("categoryTarget");
    m_target->select(record.parent);
    auto* form = new QFormLayout;
    auto* moved = new QLabel(qtText(record.name()), this);
    moved->setObjectName("movedCategory");
    form->addRow(new QLabel("分类:", this), moved);
    form->addRow(buddyLabel("目标分类:", m_target, this), m_target);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
}

void CategoryMoveDialog::accept() {
    store::CategoryRecord* target = m_target->chosen();
    if (!target) {
        m_target->setFocus();
        return;
    }
    if (settle(*this, m_submit(*target), nullptr, m_target)) {
        QDialog::accept();
    }
}

std::optional<long long> chooseColor(const QString& title, QWidget* owner, const QPoint& at) {
    static const std::array<std::pair<const char*, QColor>, 16> kColors = {{
        {"黑色", QColor(0, 0, 0)},
        {"深红", QColor(128, 0, 0)},
        {"深绿", QColor(0, 128, 0)},
        {"橄榄色", QColor(128, 128, 0)},
        {"深蓝", QColor(0, 0, 128)},
        {"紫色", QColor(128, 0, 128)},
        {"青色", QColor(0, 128, 128)},
        {"灰色", QColor(128, 128, 128)},
        {"银色", QColor(192, 192, 192)},
        {"红色", QColor(255, 0, 0)},
        {"绿色", QColor(0, 255, 0)},
        {"黄色", QColor(255, 255, 0)},
        {"蓝色", QColor(0, 0, 255)},
        {"洋红", QColor(255, 0, 255)},
        {"浅青", QColor(0, 255, 255)},
        {"白色", QColor(255, 255, 255)},
    }};
    std::optional<long long> chosen;
    QMenu popup(owner);
    popup.setObjectName("colorPopup");
    popup.setTitle(title);
    popup.setAccessibleName(title);
    QAction* standard = popup.addAction("默认颜色");
    standard->setObjectName("defaultColor");
    QObject::connect(standard, &QAction::triggered, [&] { chosen = ops::kDefaultColor; });
    auto* grid = new QWidget(&popup);
    auto* layout = new QGridLayout(grid);
    layout->setSpacing(2);
    for (std::size_t i = 0; i < kColors.size(); ++i) {
        auto* swatch = new QToolButton(grid);
        const auto& [name, color] = kColors[i];
        swatch->setObjectName(QStringLiteral("color%1").arg(i));
        swatch->setAccessibleName(QString::fromUtf8(name));
        swatch->setToolTip(QString::fromUtf8(name));
        swatch->setFixedSize(20, 20);
        swatch->setStyleSheet(QStringLiteral("background-color: %1;").arg(color.name()));
        QObject::connect(swatch, &QToolButton::clicked, &popup, [&chosen, &popup, color] {
            chosen = storedColor(color);
            popup.close();
        });
        layout->addWidget(swatch, static_cast<int>(i / 8), static_cast<int>(i % 8));
    }
    auto* gridAction = new QWidgetAction(&popup);
    gridAction->setDefaultWidget(grid);
    popup.addAction(gridAction);
    QAction* more = popup.addAction("更多颜色");
    more->setObjectName("moreColors");
    QObject::connect(more, &QAction::triggered, [&] {
        QColor color = QColorDialog::getColor(Qt::black, owner, title);
        if (color.isValid()) {
            chosen = storedColor(color);
        }
    });
    popup.exec(at);
    return chosen;
}

} // namespace tarnel::ui

#include "CAccountForm.h"

#include "CActivityHost.h"
#include "CCmdUI.h"
#include "CEditEx.h"
#include "CKeystowDoc.h"
#include "CLeftView.h"
#include "CMDIFrameWnd.h"
#include "CWinApp.h"
#include "WebAddress.h"
#include "resource.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {
const QString kFace = QStringLiteral("Times New Roman");
const QColor kBlue(0, 0, 192);

// Notes keep CR LF between lines in the record; the field works with plain line breaks.
QString ToField(const QString& text) {
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return out;
}

QString FromField(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return out;
}

QString FieldText(CEditEx* edit) {
    if (auto* line = qobject_cast<QLineEdit*>(edit->Widget()))
        return line->text();
    if (auto* text = qobject_cast<QPlainTextEdit*>(edit->Widget()))
        return FromField(text->toPlainText());
    return {};
}
} // namespace

CAccountForm::CAccountForm(QSize designDlu, QWidget* parent) : CPassFormView(designDlu, parent) {
    AddEditCommands();
}

void CAccountForm::Build(const Layout& layout) {
    StyleLabel(AddLabel(layout.titleId, tr(layout.title), layout.titleDlu, Qt::AlignRight), kFace,
               17, kBlue);
    m_nameLabel = AddLabel(layout.nameId, tr("Name"), layout.nameDlu);
    StyleLabel(m_nameLabel, kFace, 16, Qt::black);
    AddIcon(layout.iconId, QRect(9, 17, 21, 20));

    m_layout.Attach(Surface(), DesignSize());
    m_layout.AddControl(m_nameLabel, CAnchorLayout::StretchWidth);
    for (const Item& item : layout.items) {
        if (item.kind == Item::Label) {
            StyleLabel(AddLabel(item.id, tr(item.text), item.dlu), kFace, 12, kBlue);
            continue;
        }
        const bool notes = item.kind == Item::NotesField;
        CEditEx* edit =
            notes ? AddMultiLineEdit(item.id, item.dlu) : AddLineEdit(item.id, item.dlu);
        StyleEdit(edit, notes ? -12 : -15);
        edit->SetSecret(item.kind == Item::SecretField);
        const UrlRule rule = item.kind == Item::SecretField ? UrlRule::Never : item.url;
        edit->SetUrlFinder([rule](const QString& line) { return FieldWebAddress(rule, line); });
        m_layout.AddControl(edit->Widget(), CAnchorLayout::StretchWidth);
        m_fields.append({item.id, edit});
        const int id = item.id;
        if (auto* line = qobject_cast<QLineEdit*>(edit->Widget()))
            connect(line, &QLineEdit::textChanged, this,
                    [this, id, edit] { OnFieldChanged(id, edit); });
        else if (auto* text = qobject_cast<QPlainTextEdit*>(edit->Widget()))
            connect(text, &QPlainTextEdit::textChanged, this,
                    [this, id, edit] { OnFieldChanged(id, edit); });
    }

    const int top = layout.buttonsTop;
    QPushButton* addMore =
        AddButton(layout.addMoreId, tr("&Add More..."), QRect(12, top, 67, 16), IDI_ADD_MORE);
    QPushButton* del =
        AddButton(layout.deleteId, tr("&Delete"), QRect(82, top, 55, 16), IDI_DELETE);
    QPushButton* save = AddButton(layout.saveId, tr("&Save"), QRect(140, top, 55, 16), IDI_SAVE);
    connect(addMore, &QPushButton::clicked, this, [this] { OnAddMore(); });
    connect(del, &QPushButton::clicked, this, [this] { OnDelete(); });
    connect(save, &QPushButton::clicked, this, [this] { OnSave(); });
}

void CAccountForm::AddOpenUrlCommand() {
    OnCommand(
        ID_EDIT_GOTO_URL, [this] { OnOpenUrl(); },
        [this](CCmdUI* ui) {
            CEditEx* edit = FocusedEdit();
            ui->Enable(edit && !edit->UrlTarget().isEmpty());
        });
}

void CAccountForm::LoadAccount(int slot) {
    const QString* name = AccountName(slot);
    if (!name)
        return;
    // The account changes before any field does, so nothing typed lands in the one before.
    m_accountIndex = slot;
    m_loading = true;
    m_nameLabel->setText(*name);
    for (const auto& [id, edit] : m_fields) {
        const QString* value = AccountField(slot, id);
        const QString text = value ? *value : QString();
        // Setting the text also starts a fresh undo history for the field.
        if (auto* line = qobject_cast<QLineEdit*>(edit->Widget())) {
            line->setText(text);
            line->setCursorPosition(0);
        } else if (auto* plain = qobject_cast<QPlainTextEdit*>(edit->Widget())) {
            plain->setPlainText(ToField(text));
        }
    }
    m_loading = false;
}

void CAccountForm::OnFieldChanged(int controlId, CEditEx* edit) {
    if (m_loading)
        return;
    if (QString* field = AccountField(m_accountIndex, controlId)) {
        const QString text = FieldText(edit);
        if (*field != text) {
            *field = text;
            if (CKeystowDoc* doc = GetKeystowDoc())
                doc->SetModifiedFlag(true);
        }
    }
    StampActivity();
}

void CAccountForm::OnDelete() {
    if (CLeftView* tree = GetLeftView())
        tree->DeleteSelectedAccount();
    StampActivity();
}

void CAccountForm::OnAddMore() {
    SelectOwnCategory();
    StampActivity();
}

void CAccountForm::OnSave() {
    StampActivity();
    // Posted, so the document saves after the click has been handled.
    CWinApp* app = CWinApp::Current();
    if (CMDIFrameWnd* main = app ? app->GetMainWnd() : nullptr) {
        QPointer<CMDIFrameWnd> target(main);
        QTimer::singleShot(0, main, [target] {
            if (target)
                target->ExecuteCommand(ID_FILE_SAVE);
        });
    }
    StampActivity();
}

void CAccountForm::OnOpenUrl() {
    CEditEx* edit = FocusedEdit();
    if (!edit)
        return;
    OpenWebAddress(edit->UrlTarget());
}

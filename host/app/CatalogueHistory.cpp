#include "CatalogueHistory.h"

#include "catalogue/CatalogueFile.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QUndoCommand>

#include <utility>

namespace cadrelle {

namespace {
constexpr int kRecoveryDelayMs = 3000;
constexpr int kPluginStepId = 1;
} // namespace

// One step: the catalogue before and after it. Pushed once the change is made, so the first
// redo (the push's own) does nothing.
class CatalogueHistory::Step : public QUndoCommand {
public:
    Step(CatalogueHistory& history, QString text, Catalogue before, Catalogue after, bool byPlugin)
        : QUndoCommand(text)
        , history_(history)
        , before_(std::move(before))
        , after_(std::move(after))
        , byPlugin_(byPlugin)
        , userActions_(history.userActions_)
    {
    }
    int id() const override { return byPlugin_ ? kPluginStepId : -1; }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const Step*>(other);
        if (next->userActions_ != userActions_)
            return false;
        after_ = next->after_;
        ++merged_;
        setText(QStringLiteral("%1 (%2 enregistrements)").arg(base_).arg(merged_));
        return true;
    }
    void undo() override { history_.apply(before_); }
    void redo() override
    {
        if (pushed_)
            history_.apply(after_);
        pushed_ = true;
    }

private:
    CatalogueHistory& history_;
    QString base_ = text();
    Catalogue before_;
    Catalogue after_;
    bool byPlugin_;
    quint64 userActions_;
    int merged_ = 1;
    bool pushed_ = false;
};

CatalogueHistory::CatalogueHistory(const Catalogue& catalogue, std::function<void(const Catalogue&)> restore, QObject* parent)
    : QObject(parent)
    , catalogue_(catalogue)
    , restore_(std::move(restore))
    , last_(catalogue)
{
    recoveryTimer_.setSingleShot(true);
    recoveryTimer_.setInterval(kRecoveryDelayMs);
    connect(&recoveryTimer_, &QTimer::timeout, this, [this] { writeRecovery(); });
    connect(&stack_, &QUndoStack::cleanChanged, this, [this](bool clean) { Q_EMIT modifiedChanged(!clean); });
    connect(&stack_, &QUndoStack::indexChanged, this, [this] {
        if (!recoveryTimer_.isActive())
            recoveryTimer_.start();
    });
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

CatalogueHistory::~CatalogueHistory()
{
    // The stack clears itself as it goes and says so: nobody is to hear it any more.
    QObject::disconnect(&stack_, nullptr, nullptr, nullptr);
    recoveryTimer_.stop();
}

bool CatalogueHistory::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress || (event->type() == QEvent::KeyPress && watched->isWidgetType()))
        ++userActions_;
    return QObject::eventFilter(watched, event);
}

void CatalogueHistory::apply(const Catalogue& state)
{
    restoring_ = true;
    restore_(state);
    last_ = state;
    restoring_ = false;
}

void CatalogueHistory::changed(const QString& text, bool byPlugin)
{
    if (restoring_ || catalogue_ == last_)
        return;
    Catalogue before = std::exchange(last_, catalogue_);
    stack_.push(new Step(*this, text, std::move(before), last_, byPlugin));
}

void CatalogueHistory::reset(const QString& path)
{
    recoveryTimer_.stop();
    stack_.clear();
    last_ = catalogue_;
    path_ = path;
}

void CatalogueHistory::saved(const QString& path)
{
    path_ = path;
    stack_.setClean();
    discardRecovery();
}

QString CatalogueHistory::recoveryPath(const QString& catalogue)
{
    const QFileInfo info(catalogue);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".recovery");
}

void CatalogueHistory::discardRecovery()
{
    recoveryTimer_.stop();
    if (!path_.isEmpty())
        QFile::remove(recoveryPath(path_));
}

QString CatalogueHistory::writeRecovery()
{
    if (path_.isEmpty())
        return QStringLiteral("catalogue jamais enregistré");
    if (!modified()) {
        QFile::remove(recoveryPath(path_));
        return {};
    }
    return saveCatalogue(recoveryPath(path_), catalogue_);
}

} // namespace cadrelle

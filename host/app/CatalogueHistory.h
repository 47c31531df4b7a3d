// Undo and redo over the open catalogue, and its recovery file. Every change is found by
// comparing the catalogue with its state after the previous step, so each edit (a cell, a
// column, an entry, what a plug-in wrote) is one step whatever made it; what a plug-in writes
// between two actions of the user (a whole unattended walk) is a single step. While changes
// are unsaved, a copy is written beside the catalogue at most every few seconds, so a crash
// loses little; the next opening offers it back.
#pragma once

#include "catalogue/Catalogue.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <QUndoStack>

#include <functional>

namespace cadrelle {

class CatalogueHistory : public QObject {
    Q_OBJECT
public:
    // restore: puts a state back into the catalogue (through the model, so views follow).
    CatalogueHistory(const Catalogue& catalogue, std::function<void(const Catalogue&)> restore, QObject* parent = nullptr);
    ~CatalogueHistory() override;

    QUndoStack& stack() { return stack_; }
    bool modified() const { return !stack_.isClean(); }

    // The catalogue may have changed: a step named `text` when it did. byPlugin: a plug-in's
    // write, merged with the plug-in's previous step when the user did nothing in between.
    void changed(const QString& text, bool byPlugin = false);
    // A catalogue opened (or a new one): no steps; path "" for one not saved yet.
    void reset(const QString& path);
    // Written to path: the current state is the clean one and the recovery copy goes.
    void saved(const QString& path);
    // The user left the changes unsaved on purpose: the recovery copy goes.
    void discardRecovery();

    // "<folder>/.<name>.recovery": beside the catalogue, hidden.
    static QString recoveryPath(const QString& catalogue);
    // Writes the recovery copy now, when there are unsaved changes ("" or why not).
    QString writeRecovery();

Q_SIGNALS:
    void modifiedChanged(bool modified);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Step;
    void apply(const Catalogue& state);

    const Catalogue& catalogue_;
    std::function<void(const Catalogue&)> restore_;
    Catalogue last_;       // the catalogue after the newest step
    QString path_;
    QUndoStack stack_;
    QTimer recoveryTimer_;
    quint64 userActions_ = 0; // mouse presses and key presses seen so far
    bool restoring_ = false;
};

} // namespace cadrelle

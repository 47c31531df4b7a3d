// The workbench's editors: one line per pattern of the script (the search Pattern and its
// group numbers, each MatchN with its name and pattern, PatternImg), as the file has them.
// The editor that last had the focus names the pattern the pages show.
#pragma once

#include "ScriptPatterns.h"

#include <QWidget>

#include <vector>

class QLabel;
class QLineEdit;

namespace trouvel::atelier {

class PatternForm : public QWidget {
    Q_OBJECT
public:
    explicit PatternForm(const ScriptEdits& edits, QWidget* parent = nullptr);

    int selected() const { return selected_; }
    void select(int key);
    // The editor of a key's value (for MatchN, of its pattern), and MatchN's name editor.
    QLineEdit* editor(int key) const { return rows_.at(std::size_t(key)).value; }
    QLineEdit* nameEditor(int key) const { return rows_.at(std::size_t(key)).name; }
    // The key's label marked as edited and not saved.
    void showChanged(int key, bool changed);
    // A warning beside a key (a field pattern the wizard cuts at "|"); "" takes it away.
    void setWarning(int key, const QString& warning);

Q_SIGNALS:
    void edited(int key, const QString& value); // the whole value, as it would be stored
    void selectedChanged(int key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Row {
        PatternKey key;
        QLabel* label = nullptr;
        QLineEdit* name = nullptr; // MatchN only
        QLineEdit* value = nullptr;
        bool bar = false; // the stored MatchN value holds a "|"
    };
    void addRow(int i, const PatternKey& key, const QString& value);
    void markSelected();

    std::vector<Row> rows_;
    int selected_ = 0;
};

} // namespace trouvel::atelier

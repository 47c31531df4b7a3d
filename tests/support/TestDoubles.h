// Stand-ins for the window's services, shared by the wizard tests, the screenshot tool and
// the walk benchmark: message boxes answered from a script (Yes when none is left) and a
// settings store kept in memory.
#pragma once

#include "common/UserInteraction.h"
#include "config/Settings.h"

#include <QHash>
#include <QStringList>

#include <deque>

namespace trouvel::wizard::test {

class ScriptedUi : public UserInteraction {
public:
    QStringList messages;
    std::deque<MsgAnswer> answers; // consumed by YesNo boxes; Yes when empty
    int beeps = 0;
    MsgAnswer messageBox(const QString& text, MsgButtons buttons) override
    {
        messages.append(text);
        if (buttons == MsgButtons::Ok)
            return MsgAnswer::Ok;
        if (answers.empty())
            return MsgAnswer::Yes;
        const MsgAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void beep() override { ++beeps; }
};

class MemorySettings : public config::SettingsStore {
public:
    QHash<QString, QString> values; // "section/key"
    QString GetSetting(const QString&, const QString& section, const QString& key, const QString& def) override
    {
        return values.value(section + u'/' + key, def);
    }
    void SaveSetting(const QString&, const QString& section, const QString& key, const QString& value) override
    {
        values.insert(section + u'/' + key, value);
    }
};

} // namespace trouvel::wizard::test

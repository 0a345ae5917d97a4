#include "live_open_message.h"

namespace {

QString Quoted(const std::string& text)
{
    return QStringLiteral("„%1“").arg(QString::fromStdString(text));
}

}  // namespace

QString SoundServerSilentMessage()
{
    return QStringLiteral("Der Tonserver antwortet nicht. Warten Sie einen Moment und versuchen Sie es dann noch "
                          "einmal; hilft das nicht, starten Sie den Tonserver oder den Rechner neu.");
}

QString LiveOpenMessage(const LiveOpenError& error)
{
    using Kind = LiveOpenError::Kind;
    const QString devices = QStringLiteral("Wählen Sie unter „Live → Audiogeräte…“ einen anderen.");
    switch (error.kind) {
    case Kind::ServerSilent:
        return SoundServerSilentMessage();
    case Kind::LibraryNotStarted:
        return QStringLiteral("Die Tonausgabe des Systems ließ sich nicht starten. (%1)")
            .arg(QString::fromStdString(error.detail));
    case Kind::NoInput:
        return QStringLiteral("Es gibt keinen Toneingang. Schließen Sie ein Mikrofon an.");
    case Kind::NoOutput:
        return QStringLiteral("Es gibt keinen Tonausgang. Schließen Sie Kopfhörer an.");
    case Kind::InputMissing:
        return QStringLiteral("Der gewählte Eingang %1 ist nicht angeschlossen. %2").arg(Quoted(error.detail), devices);
    case Kind::OutputMissing:
        return QStringLiteral("Der gewählte Ausgang %1 ist nicht angeschlossen. %2").arg(Quoted(error.detail), devices);
    case Kind::None:
    case Kind::NotOpened:
        break;
    }
    return QStringLiteral("Das Mikrofon ließ sich nicht öffnen. Prüfen Sie unter „Live → Audiogeräte…“ Eingang und "
                          "Ausgang, und ob ein anderes Programm sie belegt. (%1)")
        .arg(QString::fromStdString(error.detail));
}

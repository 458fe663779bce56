#pragma once
// Qt's own texts (the buttons of its dialogs, the colour and font dialogs, the input
// box) in French, like the rest of the interface, whatever the user's locale.
class QCoreApplication;

// Installs Qt's French catalogue on `app`; false when it is not installed on this
// machine (the texts then stay in English).
bool chargerTraductionsQt(QCoreApplication& app);

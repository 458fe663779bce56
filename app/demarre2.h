#pragma once
// The splash window: painted at once, it hands over to the main window on the
// first turn of the event loop so that the user sees something while it loads.
#include <QWidget>
#include <functional>

class Demarre2 : public QWidget {
    Q_OBJECT
public:
    // `chargerFenPrin` runs once, on the first tick of Timer1; it closes the splash.
    explicit Demarre2(std::function<void(Demarre2*)> chargerFenPrin = {}, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent* e) override;

private:
    std::function<void(Demarre2*)> charger_;
    bool charge_ = false;
};

#pragma once
// The full-screen menu's own player: MCIWnd1, Timer1 and RepetitionSon of
// FenPopUp, independent of the main window's. Its file dialog goes through the desktop
// services and its duration shows in the viewer's message panel. FenPopUp creates it
// when it is loaded and owns it: the sound ends when FenPopUp is unloaded. Its
// "Musique et sons" entries only have to call the six mnu… commands.
class General;
class PleinEcran;
class PosteSons;
class QObject;

PosteSons* creerSonsPleinEcran(General& g, PleinEcran& vue, QObject* proprietaire);

#pragma once

// Every picture the generator draws; AssetGen.cpp binds them to their catalogue names.

#include <QImage>

namespace trelvo::art {

// Cards (CardArt.cpp): suit 1 clubs .. 4 spades, dignity 1 two .. 13 ace.
QImage CardFace(int suit, int dignity);
QImage CardBack();
QImage SuitMark(int suit, int w, int h);

// Table and game pieces (UiArt.cpp).
QImage TableCloth(int w, int h);
QImage CardLights(int w, int h);
QImage Transparent(int w, int h);
QImage TakeMark(int state);
QImage PointerBeat();
QImage PlayerBar();
QImage PlayerBarClock();
QImage PlayerBarButton(bool take, int state); // state 1 disabled, 2 waiting, 3 active, 4 click
QImage NickBar(bool active);
QImage PlaceLights(int state);            // 1 clear, 2 white veil, 3 yellow veil
QImage TableButton(bool take, int state); // 1 waiting, 2 active, 3 click
QImage PanelDeck();
QImage RoundEnd();
QImage YourTurn();
// Size by Size pixels; the art is drawn for 128 and scaled.
QImage AppIcon(int Size = 128);

// Windows and lobby (UiArt.cpp).
QImage WindowBackground(int w, int h);
QImage WindowFrame(int w, int h);
QImage WindowTop(int w, int h);
QImage CloseIcon(int state);
QImage GreenButton(int w, int h, const QString &label, int glyph, int state); // glyph 0 none, 1 play, 2 tick
QImage ServerListRow(int state);
QImage TableListBackground();
QImage PlayerIcon(bool taken);
QImage TransferIcon(bool on);
QImage FirstNotTransferredIcon(bool on);
QImage MaxFiveIcon(bool on);
QImage ResultBanner(int kind); // 0 win, 1 lose, 2 draw, 3 gathering players

} // namespace trelvo::art

#pragma once
#include <QWidget>

// Sizes and places are given in twips: 15 to a pixel at 96 dpi, scaled
// with the screen's logical resolution.
int tw(int twips);

// Creates a child widget of the given kind, with its objectName, in its place.
template <class W, class... Args>
W *makeControl(QWidget *parent, const QString &name, int left, int top, int width, int height, Args &&...args)
{
    W *w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(name);
    w->setGeometry(tw(left), tw(top), tw(width), tw(height));
    return w;
}

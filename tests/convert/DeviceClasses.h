#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// The device classes that the shipped profiles target, with the limits a
// converted file must meet to play on them, and the table of which profile
// targets which class (Profiles/device-classes.tsv).
struct ProfileTarget {
    QString device;
    int profile = 0; // 1-based
    QString name;
    QString deviceClass;
};

QList<ProfileTarget> ReadProfileTargets(const QString &tableFile);

// What is wrong with a converted file for its class; empty when it meets
// every limit. Bit rates may exceed a limit by a quarter, as encoders do on
// short or busy clips.
QStringList CheckDeviceClass(const QString &deviceClass, const QString &file);

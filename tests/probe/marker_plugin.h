// A platform theme plugin that does nothing but leave a mark: loaded, it
// writes the file named by QUIZDECK_MARKER_FILE. Qt creates the plugin object
// before it asks whether the object is the theme plugin it looked for.
#pragma once

#include <QObject>
#include <QtPlugin>

class QuizdeckMarkerPlugin final : public QObject {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QPA.QPlatformThemeFactoryInterface.5.1" FILE "marker_plugin.json")

public:
    QuizdeckMarkerPlugin();
};

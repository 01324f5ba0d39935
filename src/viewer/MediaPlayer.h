#pragma once
// The media player control of the media window: plays one file at a time
// through Qt Multimedia, shows a video above its controls (play/pause, stop,
// position) and a status line that names the file or says why it cannot play.
// A file the back end cannot decode is announced once (CannotPlay) and the
// controls go back to their stopped state; the owner finds another player.

#include <QMap>
#include <QVariant>
#include <QWidget>

class QAudioOutput;
class QLabel;
class QMediaPlayer;
class QSlider;
class QToolButton;
class QVideoWidget;

// Identifiers by which the viewer drives the control.
enum MediaPlayerDispatch {
    DISPID_MP_FILENAME = 1026,
    DISPID_MP_PLAY = 2001,
};

class CMediaPlayer : public QWidget {
    Q_OBJECT
public:
    explicit CMediaPlayer(QWidget* parent = nullptr);
    ~CMediaPlayer() override;

    // True when this machine's multimedia back end can decode any format; a
    // back end without its plug-ins must not even be asked for a player.
    static bool IsAvailable();

    // Makes the player; false when the back end cannot give one.
    bool Create();

    void SetFileName(const QString& path);
    // The picture area above the controls, for video items; without it the
    // controls keep to the top of a short window.
    void ShowVideoArea(bool show);
    QString FileName() const { return m_strFileName; }
    void Play();
    void Stop();

    // Properties the viewer sets by identifier; those without a meaning here
    // are kept so they can be read back.
    void SetProperty(int dispatchId, const QVariant& value);
    QVariant Property(int dispatchId) const { return m_properties.value(dispatchId); }

    QMediaPlayer* Player() const { return m_pPlayer; }
    QString StatusText() const;
    // Replaces the file's name on the status line until another file is set.
    void ShowStatus(const QString& text);
    // The back end failed on the file set now; Play asks no more of it.
    bool CannotDecode() const { return m_bCannotDecode; }

signals:
    // The back end cannot play the file; emitted once per failure and again
    // for each Play of that file.
    void CannotPlay();

private:
    void OnPlayPause();
    void OnPositionChanged(qint64 position);
    void OnDurationChanged(qint64 duration);
    void OnStateChanged();
    void OnError();
    void OnMediaStatusChanged();
    void UpdateTimeText();

    QMediaPlayer* m_pPlayer = nullptr;
    class QVBoxLayout* m_pLayout = nullptr;
    QAudioOutput* m_pAudio = nullptr;
    QVideoWidget* m_pVideo = nullptr;
    QToolButton* m_pPlayButton = nullptr;
    QToolButton* m_pStopButton = nullptr;
    QSlider* m_pPosition = nullptr;
    QLabel* m_pTime = nullptr;
    QLabel* m_pStatus = nullptr;
    QString m_strFileName;
    QString m_strStatus;
    bool m_bCannotDecode = false;
    QMap<int, QVariant> m_properties;
};

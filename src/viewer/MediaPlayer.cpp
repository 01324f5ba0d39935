#include "viewer/MediaPlayer.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaFormat>
#include <QMediaPlayer>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QVideoWidget>

namespace {

QString FormatTime(qint64 ms)
{
    qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

CMediaPlayer::CMediaPlayer(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Media Player"));
}

CMediaPlayer::~CMediaPlayer()
{
    if (m_pPlayer)
        m_pPlayer->stop();
}

bool CMediaPlayer::IsAvailable()
{
    return !QMediaFormat().supportedFileFormats(QMediaFormat::Decode).isEmpty();
}

bool CMediaPlayer::Create()
{
    if (m_pPlayer)
        return true;
    if (!IsAvailable())
        return false;
    m_pPlayer = new QMediaPlayer(this);
    if (!m_pPlayer->isAvailable()) {
        delete m_pPlayer;
        m_pPlayer = nullptr;
        return false;
    }
    m_pAudio = new QAudioOutput(this);
    m_pPlayer->setAudioOutput(m_pAudio);
    m_pVideo = new QVideoWidget(this);
    m_pPlayer->setVideoOutput(m_pVideo);

    m_pPlayButton = new QToolButton(this);
    m_pPlayButton->setAutoRaise(true);
    m_pStopButton = new QToolButton(this);
    m_pStopButton->setAutoRaise(true);
    m_pStopButton->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    m_pStopButton->setToolTip(QStringLiteral("Stop"));
    m_pPosition = new QSlider(Qt::Horizontal, this);
    m_pTime = new QLabel(this);
    m_pStatus = new QLabel(this);
    m_pStatus->setTextFormat(Qt::PlainText);
    m_pStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* controls = new QHBoxLayout;
    controls->setContentsMargins(2, 0, 2, 0);
    controls->setSpacing(2);
    controls->addWidget(m_pPlayButton);
    controls->addWidget(m_pStopButton);
    controls->addWidget(m_pPosition, 1);
    controls->addWidget(m_pTime);
    m_pLayout = new QVBoxLayout(this);
    m_pLayout->setContentsMargins(0, 0, 0, 2);
    m_pLayout->setSpacing(0);
    m_pLayout->addWidget(m_pVideo, 1);
    m_pLayout->addLayout(controls);
    m_pLayout->addWidget(m_pStatus);
    m_pLayout->addStretch(0);

    connect(m_pPlayButton, &QToolButton::clicked, this, &CMediaPlayer::OnPlayPause);
    connect(m_pStopButton, &QToolButton::clicked, this, &CMediaPlayer::Stop);
    connect(m_pPosition, &QSlider::sliderMoved, m_pPlayer, &QMediaPlayer::setPosition);
    connect(m_pPlayer, &QMediaPlayer::positionChanged, this, &CMediaPlayer::OnPositionChanged);
    connect(m_pPlayer, &QMediaPlayer::durationChanged, this, &CMediaPlayer::OnDurationChanged);
    connect(m_pPlayer, &QMediaPlayer::playbackStateChanged, this, &CMediaPlayer::OnStateChanged);
    connect(m_pPlayer, &QMediaPlayer::hasVideoChanged, this, [this](bool video) {
        if (video)
            ShowVideoArea(true);
    });
    connect(m_pPlayer, &QMediaPlayer::errorOccurred, this, &CMediaPlayer::OnError);
    connect(m_pPlayer, &QMediaPlayer::mediaStatusChanged, this, &CMediaPlayer::OnMediaStatusChanged);
    ShowVideoArea(false);
    OnStateChanged();
    return true;
}

void CMediaPlayer::ShowVideoArea(bool show)
{
    if (!m_pVideo)
        return;
    m_pVideo->setVisible(show);
    m_pLayout->setStretch(m_pLayout->count() - 1, show ? 0 : 1);
}

void CMediaPlayer::SetFileName(const QString& path)
{
    m_strFileName = path;
    m_strStatus.clear();
    m_bCannotDecode = false;
    if (!m_pPlayer)
        return;
    m_pPlayer->stop();
    m_pPlayer->setSource(QUrl::fromLocalFile(path));
    OnStateChanged();
}

void CMediaPlayer::Play()
{
    if (!m_pPlayer || m_strFileName.isEmpty())
        return;
    if (m_bCannotDecode) {
        emit CannotPlay();
        return;
    }
    m_pPlayer->play();
    OnStateChanged();
}

void CMediaPlayer::Stop()
{
    if (m_pPlayer)
        m_pPlayer->stop();
}

void CMediaPlayer::SetProperty(int dispatchId, const QVariant& value)
{
    if (dispatchId == DISPID_MP_FILENAME) {
        SetFileName(value.toString());
        return;
    }
    m_properties.insert(dispatchId, value);
}

QString CMediaPlayer::StatusText() const
{
    return m_pStatus ? m_pStatus->text() : QString();
}

void CMediaPlayer::OnPlayPause()
{
    if (!m_pPlayer)
        return;
    if (m_pPlayer->playbackState() == QMediaPlayer::PlayingState)
        m_pPlayer->pause();
    else
        Play();
}

void CMediaPlayer::OnPositionChanged(qint64 position)
{
    if (!m_pPosition->isSliderDown())
        m_pPosition->setValue(static_cast<int>(position));
    UpdateTimeText();
}

void CMediaPlayer::OnDurationChanged(qint64 duration)
{
    m_pPosition->setRange(0, static_cast<int>(duration));
    UpdateTimeText();
}

void CMediaPlayer::OnStateChanged()
{
    bool playing = m_pPlayer->playbackState() == QMediaPlayer::PlayingState;
    m_pPlayButton->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_pPlayButton->setToolTip(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
    m_pPlayButton->setEnabled(!m_strFileName.isEmpty());
    m_pStopButton->setEnabled(m_pPlayer->playbackState() != QMediaPlayer::StoppedState);
    m_pStatus->setText(m_strStatus.isEmpty() ? QFileInfo(m_strFileName).fileName() : m_strStatus);
    m_pStatus->setToolTip(m_pStatus->text());
    UpdateTimeText();
}

void CMediaPlayer::OnError()
{
    // The back end reports one failure several times (a missing decoder, then
    // the stream error it causes), and may do so while our owner's message
    // box is open: only the first counts.
    if (m_bCannotDecode || m_strFileName.isEmpty())
        return;
    m_bCannotDecode = true;
    // The back end stays "playing" after its error; the buttons must not.
    m_pPlayer->stop();
    OnStateChanged();
    emit CannotPlay();
}

void CMediaPlayer::OnMediaStatusChanged()
{
    if (m_pPlayer->mediaStatus() == QMediaPlayer::InvalidMedia)
        OnError();
}

void CMediaPlayer::ShowStatus(const QString& text)
{
    m_strStatus = text;
    OnStateChanged();
}

void CMediaPlayer::UpdateTimeText()
{
    m_pTime->setText(FormatTime(m_pPlayer->position()) + QStringLiteral(" / ") +
                     FormatTime(m_pPlayer->duration()));
}

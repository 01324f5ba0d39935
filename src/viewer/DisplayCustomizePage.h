#pragma once
// The "Display" page of the Customize sheet: splitter style, centring of large
// pictures and the shrinking of extra-large ones. Apply stores the five display
// settings, makes them live and tells the panes.

#include <QWidget>

class CMainFrame;
class QCheckBox;
class QComboBox;
class QLabel;

class CDisplayCustomizePage : public QWidget {
    Q_OBJECT
public:
    // `frame` receives the live settings; it may be null (nothing then is live).
    explicit CDisplayCustomizePage(CMainFrame* frame, QWidget* parent = nullptr);

    // Reads the stored settings into the controls and clears the changed mark.
    void OnInitDialog();
    // Stores the controls' values, makes them live, tells the panes and clears
    // the changed mark.
    bool OnApply();

    bool IsModified() const { return m_bModified; }
    void SetModified(bool modified);

    QLabel* m_pDescription;
    QComboBox* m_pSplitterStyle;
    QCheckBox* m_pCenterLargePhotos;
    QLabel* m_pShrinkDescription;
    QCheckBox* m_pShrinkLargeImages;
    QComboBox* m_pShrinkSize;
    QComboBox* m_pShrinkFactor;

signals:
    void ModifiedChanged(bool modified);

private:
    void OnShrinkClicked();
    void EnableShrinkLists();
    // The list's index, or the stored value it was opened with while nothing is
    // selected (a stored index the list does not offer is kept as it was).
    int ListValue(const QComboBox* list, int stored) const;

    CMainFrame* m_pFrame;
    bool m_bModified = false;
    int m_nStoredSplitterStyle = 0;
    int m_nStoredShrinkSize = 0;
    int m_nStoredShrinkFactor = 0;
};

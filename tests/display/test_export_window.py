"""File > "Export Show...": the show rendered to a video file."""

import subprocess

import pytest

from support.files import user_dir

pytestmark = pytest.mark.xvfb


def test_export_show_renders_the_project_to_a_video_file_the_user_is_told_of(
        start_app, five_project, folder, build):
    videos = folder / "videos"
    videos.mkdir()
    user_dir(folder, "XDG_VIDEOS_DIR", videos)
    app = start_app(five_project, top=0, left=0, height=492, width=649)
    app.menu("alt+f", "e")
    dialog, _ = app.window_shown("Export Show", "o-dialog")
    # The dialog proposes a file in the videos folder; Enter renders it, with a progress window.
    app.screen.keys_to(dialog, "Return")
    told = app.wait(lambda: app.find_viewable("Information"), 60, "a message box after Export")
    app.screen.shoot("o-told")
    video = videos / "xvfb.mp4"
    info = subprocess.run([build / "tests" / "frame_grab", video, folder / "o-frame-", "0"],
                          capture_output=True, text=True, timeout=60)
    assert " h264 1920x1080 yuv420p " in info.stdout + info.stderr, \
        f"the exported {video} does not read as 1920 x 1080 H.264"
    app.close_with(told, "Return", "the message box about the export")
    print(f"the show went to {video}: {info.stdout.strip()}")

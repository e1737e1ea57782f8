"""The program's texts and the few walks through its windows that several
end-to-end tests share."""

import os
import shutil
import time

import harness
from harness import check, log, wait_until

CAPTION = "QuobelV3.2.5跟进版"
APP_TITLE = "QuobelV3.2.5"
NOTICE_TITLE = "使用须知"
NOTICE_TEXT = "必须将存放本程序的压缩包的所有文件放在同一目录！！！必须要个图标，否则无法打开!!!"
ALREADY_RUNNING = "本程序已运行！！！"
WELCOME = "欢迎使用Quobel！！！"
# The single button of every message box: Qt's own text, from its Chinese catalogue.
BOX_BUTTON = "确定"

WITH_ADS = "免费版（有广告，点我支持小q）"
WITHOUT_ADS = "免费版（无广告）"
ICON_TOOL = "制作图标"
BUG_REPORT = "BUG反馈"
START_BUTTONS = (WITH_ADS, WITHOUT_ADS, ICON_TOOL, BUG_REPORT)

CONFIRM = "确定使用无广告版"
BACK = "返回"
CONFIRM_LABEL = "为了感谢小q的努力，希望大家用免费版（有广告）！！"

OK = "确定"
REFUSE_EXIT = "退出"
EXIT = "不是退出"
CAPTURE_MINIMISED = "截图（ctrl+D）"
CAPTURE_IN_PLACE = "截图（不最小化窗口）"
AD_BUTTONS = ("查看（百度）", "查看（新浪）")
CHAT_BUTTONS = (OK, REFUSE_EXIT, EXIT, "关于", "下载Quobel支持用语", "使用说明", "检查更新",
                CAPTURE_MINIMISED, CAPTURE_IN_PLACE)


def start_window(program):
    """From launch: the notice, then the start window. Returns the window."""
    program.dismiss_alert(NOTICE_TITLE, NOTICE_TEXT, button=BOX_BUTTON)
    return shown_alone(program, START_BUTTONS)


def shown_alone(program, buttons):
    """Waits for the window with these buttons and checks it is the program's
    only window on screen."""
    window = program.window(CAPTION, buttons)
    wait_until(lambda: f"only {CAPTION!r} on screen (now {program.visible_window_names()}, "
                       f"{program.frames()})",
               lambda: program.visible_window_names() == [CAPTION]
               and program.frames() == [CAPTION])
    return window


def one_window_loaded(program):
    """Checks that the windows handed over have really gone, not just hidden."""
    wait_until(lambda: f"one window left (now {program.loaded_frames()})",
               lambda: program.loaded_frames() == [CAPTION])


def check_start_window(program, window):
    buttons = program.buttons(window)
    check(sorted(buttons) == sorted(START_BUTTONS), f"start window buttons: {buttons}")


def check_chat_window(program, window, with_ads):
    buttons = program.buttons(window)
    missing = [b for b in CHAT_BUTTONS if b not in buttons]
    check(not missing, f"chat window lacks {missing}: {buttons}")
    for ad in AD_BUTTONS:
        check((ad in buttons) == with_ads,
              f"advertisement button {ad!r} {'missing' if with_ads else 'present'}: {buttons}")


def chat_without_ads(program):
    """From launch to the chat window without advertisements."""
    window = start_window(program)
    program.press(window, WITHOUT_ADS)
    confirmation = shown_alone(program, (CONFIRM, BACK))
    program.press(confirmation, CONFIRM)
    program.dismiss_alert(APP_TITLE, WELCOME, button=BOX_BUTTON)
    chat = shown_alone(program, (OK,))
    check_chat_window(program, chat, with_ads=False)
    return chat


def chat_with_ads(program):
    """From launch to the chat window with advertisements."""
    window = start_window(program)
    program.press(window, WITH_ADS)
    program.dismiss_alert(APP_TITLE, WELCOME, button=BOX_BUTTON)
    chat = shown_alone(program, (OK,))
    check_chat_window(program, chat, with_ads=True)
    return chat


def enter_text(program, window, text):
    """Replaces the text of Text1 by typing, as a user does."""
    edit = program.text_edit(window)
    program.focus(edit)
    x_window = program.x_window(CAPTION)
    program.key(x_window, "ctrl+a")
    program.key(None, "BackSpace")
    wait_until("Text1 to be empty", lambda: program.text_of(window) == "")
    typed = ""
    for char in text:
        typed = type_char(program, window, x_window, typed, char)
    check(program.text_of(window) == text, f"Text1 reads {program.text_of(window)!r}")


def type_char(program, window, x_window, typed, char):
    """Types one character and checks it arrived. xdotool types a character
    missing from the keyboard map by remapping a spare key just before
    pressing it; under load the program can see the press before the new
    mapping and drop or misread it, so a wrong result is undone and retried."""
    wanted = typed + char
    for attempt in range(4):
        program.type_text(x_window, char)
        try:
            wait_until(f"Text1 to read {wanted!r}", lambda: program.text_of(window) == wanted,
                       timeout=3)
            return wanted
        except harness.Failure:
            current = program.text_of(window)
            log(f"typing {char!r} gave {current!r} (attempt {attempt + 1})")
            check(current.startswith(typed), f"Text1 lost what was typed: {current!r}")
            for _ in range(len(current) - len(typed)):
                program.key(None, "BackSpace")
            wait_until(f"Text1 back to {typed!r}", lambda: program.text_of(window) == typed)
    raise harness.Failure(f"could not type {char!r} into Text1")


def no_alert_follows(program, settle=1.0):
    """Checks that no further message box comes up."""
    time.sleep(settle)
    check(program.alerts() == [], f"unexpected message box {program.alerts()}")


def copy_program(program, folder, with_icon, with_library=False):
    """Copies the executable (and optionally the icon and the capture library)
    into a folder of its own and returns the copy's path."""
    os.makedirs(folder, exist_ok=True)
    source = os.path.dirname(program)
    target = os.path.join(folder, os.path.basename(program))
    shutil.copy2(program, target)
    if with_icon:
        shutil.copy2(os.path.join(source, "qor.ico"), folder)
    if with_library:
        shutil.copy2(os.path.join(source, "libCameraDll.so"), folder)
    log(f"program copied to {folder}: {sorted(os.listdir(folder))}")
    return target

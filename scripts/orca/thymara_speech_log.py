"""A speech server for Orca that writes what Orca says to a file.

scripts/orca_check.sh names this module as Orca's speechServerFactory, so that
Orca runs without a sound device or a speech daemon and the check can compare
every utterance with what the user needs to hear. One utterance per line, in
the order Orca speaks them; the file is $THYMARA_SPEECH_LOG.
"""

import os
import threading

from gi.repository import GLib

from orca import speechserver

_LOG = os.environ.get("THYMARA_SPEECH_LOG", "/dev/null")
_lock = threading.Lock()


def _write(kind, text):
    text = " ".join(str(text).split())
    if not text:
        return
    with _lock, open(_LOG, "a", encoding="utf-8") as log:
        log.write("%s %s\n" % (kind, text))


def _flatten(utterance):
    # Orca hands over a string or a list of strings and voice settings.
    if isinstance(utterance, str):
        return utterance
    if isinstance(utterance, (list, tuple)):
        return " ".join(_flatten(part) for part in utterance if not isinstance(part, dict))
    return ""


class SpeechServer(speechserver.SpeechServer):
    _active = None

    @staticmethod
    def getFactoryName():
        return "Thymara speech log"

    @staticmethod
    def getSpeechServers():
        return [SpeechServer._server()]

    @staticmethod
    def getSpeechServer(info=None):
        return SpeechServer._server()

    @staticmethod
    def shutdownActiveServers():
        SpeechServer._active = None

    # Orca 48 (Debian 13) asks for these under their newer names.
    get_speech_server = getSpeechServer

    @staticmethod
    def _server():
        if SpeechServer._active is None:
            SpeechServer._active = SpeechServer()
        return SpeechServer._active

    def getInfo(self):
        return ["Thymara speech log", "thymara-speech-log"]

    get_info = getInfo

    def getVoiceFamilies(self):
        return []

    def speak(self, text=None, acss=None, interrupt=True):
        _write("say", _flatten(text))

    def speakCharacter(self, character, acss=None):
        _write("char", character)

    def speakKeyEvent(self, event, acss=None):
        # Key echo is off in the check's settings; a key name says nothing here.
        pass

    speak_character = speakCharacter
    speak_key_event = speakKeyEvent

    def sayAll(self, utteranceIterator, progressCallback):
        # As a real synthesizer would: one utterance after the other, each
        # reported as spoken before the next one is asked for.
        def next_chunk():
            try:
                context, _acss = next(utteranceIterator)
            except StopIteration:
                return False
            _write("sayall", context.utterance)
            progressCallback(context.copy(), speechserver.SayAllContext.PROGRESS)
            context.currentOffset = context.endOffset
            progressCallback(context.copy(), speechserver.SayAllContext.COMPLETED)
            GLib.idle_add(next_chunk)
            return False

        GLib.idle_add(next_chunk)

    say_all = sayAll

    def list_output_modules(self):
        return []

    def stop(self):
        pass

    def shutdown(self):
        pass

    def reset(self, text=None, acss=None):
        pass

    def increaseSpeechRate(self, step=5):
        pass

    def decreaseSpeechRate(self, step=5):
        pass

    def increaseSpeechPitch(self, step=0.5):
        pass

    def decreaseSpeechPitch(self, step=0.5):
        pass

    def updateCapitalizationStyle(self):
        pass

    def updatePunctuationLevel(self):
        pass

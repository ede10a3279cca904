<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- Qt's words that Qt's own Russian catalogue for Qt 6.4 lacks, and the
     folders its file dialogs call «каталог» where the program says «папка».
     Loaded after Qt's catalogue, so that these come first. -->
<TS version="2.1" language="ru_RU">
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Drive</source>
        <translation>Диск</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Файл</translation>
    </message>
    <message>
        <source>File Folder</source>
        <comment>Match Windows Explorer</comment>
        <translation>Папка</translation>
    </message>
    <message>
        <source>Folder</source>
        <comment>All other platforms</comment>
        <translation>Папка</translation>
    </message>
    <message>
        <source>Shortcut</source>
        <comment>All other platforms</comment>
        <translation>Ярлык</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Неизвестно</translation>
    </message>
</context>
<context>
    <name>QFileDialog</name>
    <message>
        <source>Directory:</source>
        <translation>Папка:</translation>
    </message>
    <message>
        <source>Directories</source>
        <translation>Папки</translation>
    </message>
    <message>
        <source>Find Directory</source>
        <translation>Найти папку</translation>
    </message>
    <message>
        <source>Parent Directory</source>
        <translation>Родительская папка</translation>
    </message>
    <message>
        <source>Go to the parent directory</source>
        <translation>Перейти в родительскую папку</translation>
    </message>
    <message>
        <source>Could not delete directory.</source>
        <translation>Не удалось удалить папку.</translation>
    </message>
    <message>
        <source>%1
Directory not found.
Please verify the correct directory name was given.</source>
        <translation>%1
Папка не найдена.
Проверьте, правильно ли указано её имя.</translation>
    </message>
</context>
</TS>

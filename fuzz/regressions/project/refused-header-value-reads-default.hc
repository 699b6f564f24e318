<?xml version="1.0" encoding="windows-1251"?>
<!-- This document was created with Zo_xml unit. -->
<Orvanta_config>
  <Проект Name="Fixture" DeviceFile="Test.dev" Program="VT_win.exe" ConfigFileType="1"/>
  <Заголовок Device="Test" Name="Проверка" IP="10.0ЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦЦ.0.7" Cycle="50"/>MingLi43
  <Схема Name="Лист 1" Width="40" Height="30" WindowOpen="1" Scale="1.25">
    <Блок Name="И 1" DescriptionPath="\Struct\Fbd.xml/FBD/Логика/AND" Left="2" Top="2" Priority="2">
      <Парам. Label="Первый"/>
      <Данные In1="0" In2="1" Out="2"/>
    </Блок>
    <Блок Name="НЕ 1" DescriptionPath="/dev/shm/zo-fuzz-3018/Program\" Left="12" Top="2">
      <Парам. Tmrn="2"/>
      <Данные In="2" Out="0"/>
    </Блок>
    <Блок Name="С541" PointB="65545"/>
  </Схема>
</Orvanta_config>
